// Writes a surface as a 24-bit PNG.
#pragma once

#include <string>

#include "platform/gdi/surface.h"

// Returns false and fills *error when the file cannot be written.
bool WritePng(const gdi::Surface& surface, const std::string& path, std::string* error);
