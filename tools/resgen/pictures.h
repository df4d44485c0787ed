// Every picture of the program's resources, by family.
#pragma once

#include <string>
#include <vector>

#include "platform/gdi/surface.h"
#include "tools/resgen/palette.h"

namespace resgen {

struct Picture {
    std::string name;  // file name without ".bmp": the resource number
    gdi::SurfacePtr pixels;
    PaletteMask colours = kAllColours;  // entries the picture is quantized to
};

// 150 to 159, 163, 167 and 171: the faces of the six wizard buttons.
std::vector<Picture> DrawButtonImages();
// 143 to 147 and 172: the instruction icons, black on white.
std::vector<Picture> DrawInstructionIcons();
// 130: the brand logo banner of the welcome page.
std::vector<Picture> DrawBanner();
// 128-32 and 128-16: the application icon at its two sizes.
std::vector<Picture> DrawAppIcon();

// The application icon for the desktop's icon theme, drawn for the size (16,
// 32, or any size from 48 up) on the background colour, which appears
// nowhere else in it.
gdi::SurfacePtr DrawThemeIcon(int size, COLORREF background);
inline constexpr int kThemeIconSizes[] = {16, 32, 48, 64, 128, 256};

}  // namespace resgen
