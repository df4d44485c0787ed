#include "pages/version.h"

#include "pages/build_version.h"

// The two halves of the project's version, e.g. "2" and "91" for 2.91.
const std::string VersionMajor = CORVANE_VERSION_MAJOR;
const std::string VersionMinor = CORVANE_VERSION_MINOR;
