// Writes 4-bit uncompressed BMP files with the standard 16-colour palette.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/surface.h"
#include "tools/resgen/palette.h"

namespace resgen {

// The whole file image: BITMAPFILEHEADER, BITMAPINFOHEADER (biClrUsed 16),
// the palette, then bottom-up rows padded to 4 bytes. Each pixel becomes its
// nearest allowed palette entry.
std::vector<std::uint8_t> EncodeBmp4(const gdi::Surface& surface, PaletteMask allowed = kAllColours);

// Returns false and fills *error when the file cannot be written.
bool WriteBmp4File(const std::string& path, const gdi::Surface& surface, PaletteMask allowed,
                   std::string* error);

}  // namespace resgen
