#include "tools/resgen/bmp4_writer.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace resgen {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kPaletteSize = 16 * 4;

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp4(const gdi::Surface& surface, PaletteMask allowed) {
    const auto width = static_cast<std::uint32_t>(surface.width());
    const auto height = static_cast<std::uint32_t>(surface.height());
    const std::uint32_t row_bytes = (width * 4 + 31) / 32 * 4;
    const std::uint32_t image_size = row_bytes * height;
    const std::uint32_t offset = kFileHeaderSize + kInfoHeaderSize + kPaletteSize;

    std::vector<std::uint8_t> out;
    out.reserve(offset + image_size);
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + image_size);
    Put32(out, 0);  // reserved
    Put32(out, offset);

    Put32(out, kInfoHeaderSize);
    Put32(out, width);
    Put32(out, height);  // positive: rows stored bottom-up
    Put16(out, 1);       // planes
    Put16(out, 4);       // bits per pixel
    Put32(out, 0);       // BI_RGB
    Put32(out, image_size);
    Put32(out, 0);   // pixels per metre, x
    Put32(out, 0);   // pixels per metre, y
    Put32(out, 16);  // colours used
    Put32(out, 0);   // all colours important

    for (COLORREF c : kPalette) {
        out.push_back(static_cast<std::uint8_t>(GetBValue(c)));
        out.push_back(static_cast<std::uint8_t>(GetGValue(c)));
        out.push_back(static_cast<std::uint8_t>(GetRValue(c)));
        out.push_back(0);
    }

    for (std::uint32_t y = height; y-- > 0;) {
        const gdi::Pixel* src = surface.row(static_cast<int>(y));
        std::vector<std::uint8_t> row(row_bytes, 0);
        for (std::uint32_t x = 0; x < width; ++x) {
            const auto index = static_cast<std::uint8_t>(NearestIndex(src[x], allowed));
            row[x / 2] |= (x % 2 == 0) ? static_cast<std::uint8_t>(index << 4) : index;
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

bool WriteBmp4File(const std::string& path, const gdi::Surface& surface, PaletteMask allowed,
                   std::string* error) {
    const std::vector<std::uint8_t> bytes = EncodeBmp4(surface, allowed);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file)
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        if (error) *error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace resgen
