// Writes a surface as a 24-bit PNG.
#pragma once

#include <cstdio>
#include <string>

#include "platform/gdi/surface.h"

// Returns false and fills *error when the surface is empty or libpng fails.
bool WritePng(const gdi::Surface& surface, FILE* file, std::string* error);
