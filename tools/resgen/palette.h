// The standard 16-colour palette of 4-bit bitmaps and nearest-colour lookup.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>

#include "platform/gdi/surface.h"
#include "platform/gdi/types.h"

namespace resgen {

enum PaletteIndex : int {
    kBlack,
    kMaroon,
    kGreen,
    kOlive,
    kNavy,
    kPurple,
    kTeal,
    kSilver,
    kGrey,
    kRed,
    kLime,
    kYellow,
    kBlue,
    kFuchsia,
    kAqua,
    kWhite,
};

inline constexpr std::array<COLORREF, 16> kPalette = {
    RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
    RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
    RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
    RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255),
};

constexpr COLORREF Colour(PaletteIndex i) {
    return kPalette[static_cast<std::size_t>(i)];
}

// A set of palette entries a picture may be quantized to. Restricting the set
// keeps antialiased text edges from turning into stray colours.
using PaletteMask = std::uint16_t;
inline constexpr PaletteMask kAllColours = 0xFFFF;

constexpr PaletteMask MaskOf(std::initializer_list<PaletteIndex> colours) {
    PaletteMask m = 0;
    for (PaletteIndex c : colours) m = static_cast<PaletteMask>(m | (1u << c));
    return m;
}

// Index of the allowed entry closest to p (squared RGB distance; ties go to the
// lower index). An empty mask allows every entry.
int NearestIndex(gdi::Pixel p, PaletteMask allowed = kAllColours);

}  // namespace resgen
