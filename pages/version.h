// The program's version, as the welcome page shows it.
#pragma once

#include <string>

extern const std::string VersionMajor;
extern const std::string VersionMinor;
