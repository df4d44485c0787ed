// The instruction icons: pictures of the monitor's own keys and menu items,
// black (one with grey) on white. The pages show the arrows without their two
// right-most columns and the pitch icon without its last column and row, so
// those pictures are centred within the part that is shown.
#include <string>
#include <vector>

#include "tools/resgen/canvas.h"
#include "tools/resgen/pictures.h"

namespace resgen {
namespace {

const COLORREF kInk = Colour(kBlack);
const COLORREF kPaper = Colour(kWhite);
const PaletteMask kInkOnPaper = MaskOf({kBlack, kWhite});

// A thick arrow in a box of the given shown width; tip down or up.
Picture DrawKeyArrow(const std::string& name, int w, int h, int shown_w, bool down) {
    Canvas canvas(w, h, kPaper);
    const double cx = shown_w / 2.0;
    const double shaft_half = 4, head_half = cx - 1;
    const double tip = down ? h - 1.0 : 1.0;
    const double base = down ? h * 0.47 : h - h * 0.47;  // where the head meets the shaft
    const double tail = down ? 1.0 : h - 1.0;
    const PointF pts[] = {
        {cx - shaft_half, tail},
        {cx + shaft_half, tail},
        {cx + shaft_half, base},
        {cx + head_half, base},
        {cx, tip},
        {cx - head_half, base},
        {cx - shaft_half, base},
    };
    FillPolygon(canvas.dc(), pts, kInk);
    return Picture{name, canvas.Release(), kInkOnPaper};
}

// The outline of a screen with a smaller rectangle (the picture) inside it.
Picture DrawCentreItem(const std::string& name, bool picture_at_right) {
    constexpr int w = 56, h = 33;
    Canvas canvas(w, h, kPaper);
    CDC& dc = canvas.dc();
    FillRoundRect(dc, RECT{1, 1, w - 1, h - 1}, 6, kInk);
    FillRoundRect(dc, RECT{3, 3, w - 3, h - 3}, 4, kPaper);
    constexpr int pw = 20, ph = 11;
    const RECT picture = picture_at_right ? RECT{w - 5 - pw, (h - ph) / 2, w - 5, (h - ph) / 2 + ph}
                                          : RECT{(w - pw) / 2, 5, (w - pw) / 2 + pw, 5 + ph};
    FillRect(dc, picture, kInk);
    return Picture{name, canvas.Release(), kInkOnPaper};
}

// A rounded frame filled with vertical stripes: the pitch menu item.
Picture DrawPitchItem() {
    constexpr int w = 44, h = 32;
    constexpr int shown_w = 43, shown_h = 31;
    Canvas canvas(w, h, kPaper);
    CDC& dc = canvas.dc();
    FillRoundRect(dc, RECT{1, 1, shown_w - 1, shown_h - 1}, 6, kInk);
    FillRoundRect(dc, RECT{3, 3, shown_w - 3, shown_h - 3}, 4, kPaper);
    for (int x = 6; x + 2 <= shown_w - 5; x += 4) FillRect(dc, RECT{x, 5, x + 2, shown_h - 5}, kInk);
    return Picture{"144", canvas.Release(), kInkOnPaper};
}

// A black letter A with a grey outlined copy to its right: the phase menu item.
Picture DrawPhaseItem() {
    constexpr int w = 37, h = 28;
    constexpr int offset = 11;
    Canvas canvas(w, h, kPaper);
    CDC& dc = canvas.dc();
    const CFont font = MakeFont(33, FW_BOLD);
    const RECT ink = InkBounds(font, "A");
    const int ink_w = ink.right - ink.left, ink_h = ink.bottom - ink.top;
    const int x = (w - (ink_w + offset)) / 2 - ink.left;
    const int y = (h - ink_h) / 2 - ink.top;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) DrawText(dc, font, x + offset + dx, y + dy, "A", Colour(kGrey));
    }
    DrawText(dc, font, x + offset, y, "A", kPaper);
    DrawText(dc, font, x, y, "A", kInk);
    return Picture{"146", canvas.Release(), MaskOf({kBlack, kGrey, kWhite})};
}

}  // namespace

std::vector<Picture> DrawInstructionIcons() {
    std::vector<Picture> out;
    out.push_back(DrawKeyArrow("143", 22, 26, 20, true));
    out.push_back(DrawKeyArrow("145", 24, 27, 22, false));
    out.push_back(DrawCentreItem("147", true));
    out.push_back(DrawCentreItem("172", false));
    out.push_back(DrawPitchItem());
    out.push_back(DrawPhaseItem());
    return out;
}

}  // namespace resgen
