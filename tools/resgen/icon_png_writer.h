// Writes a picture as an 8-bit RGBA PNG in which one colour is transparent.
#pragma once

#include <string>

#include "platform/gdi/surface.h"

namespace resgen {

bool WriteIconPng(const std::string& path, const gdi::Surface& pixels, gdi::Pixel transparent,
                  std::string* error);

}  // namespace resgen
