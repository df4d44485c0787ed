#include "pages/version.h"

const std::string VersionMajor = "2";
const std::string VersionMinor = "91";
