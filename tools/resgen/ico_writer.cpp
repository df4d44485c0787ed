#include "tools/resgen/ico_writer.h"

namespace resgen {

namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::size_t value) {
    Put16(out, static_cast<unsigned>(value & 0xFFFF));
    Put16(out, static_cast<unsigned>((value >> 16) & 0xFFFF));
}

}  // namespace

std::vector<std::uint8_t> IcoFile(const std::vector<IcoImage>& images) {
    constexpr std::size_t kHeader = 6;
    constexpr std::size_t kEntry = 16;
    if (images.empty() || images.size() > 0xFFFF) return {};
    for (const IcoImage& image : images) {
        if (image.size < 1 || image.size > 256 || image.png.empty()) return {};
    }
    std::vector<std::uint8_t> out;
    Put16(out, 0);  // reserved
    Put16(out, 1);  // an icon, not a cursor
    Put16(out, static_cast<unsigned>(images.size()));
    std::size_t offset = kHeader + kEntry * images.size();
    for (const IcoImage& image : images) {
        // A width or height of 256 is written as 0.
        out.push_back(static_cast<std::uint8_t>(image.size & 0xFF));
        out.push_back(static_cast<std::uint8_t>(image.size & 0xFF));
        out.push_back(0);  // no palette
        out.push_back(0);  // reserved
        Put16(out, 1);     // colour planes
        Put16(out, 32);    // bits per pixel
        Put32(out, image.png.size());
        Put32(out, offset);
        offset += image.png.size();
    }
    for (const IcoImage& image : images) out.insert(out.end(), image.png.begin(), image.png.end());
    return out;
}

}  // namespace resgen
