// Writes pictures as one Windows .ico file: one PNG-compressed image per
// size, as Windows (Vista on) reads icons of any size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace resgen {

struct IcoImage {
    int size = 0;                   // width and height in pixels, 1 to 256
    std::vector<std::uint8_t> png;  // the image as a PNG file
};

// The .ico file's bytes: the header, one directory entry per image, then the
// images in order. Empty when there is no image or a size is out of range.
std::vector<std::uint8_t> IcoFile(const std::vector<IcoImage>& images);

}  // namespace resgen
