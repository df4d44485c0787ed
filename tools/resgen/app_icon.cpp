// The application icon: a monitor on a stand with the brand word in white
// across its teal screen. At 32 x 32 the word is set in a 3 x 5 pixel
// alphabet (a real font is illegible there); at 16 x 16 a white line stands
// for it. From 48 pixels up the same shapes are drawn to the size, with the
// word in a real font.
#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <vector>

#include "tools/resgen/canvas.h"
#include "tools/resgen/pictures.h"

namespace resgen {
namespace {

struct TinyLetter {
    char c;
    int width;
    std::array<std::string_view, 5> rows;
};

constexpr TinyLetter kTinyLetters[] = {
    {'C', 3, {"###", "#..", "#..", "#..", "###"}}, {'O', 3, {"###", "#.#", "#.#", "#.#", "###"}},
    {'R', 3, {"##.", "#.#", "##.", "#.#", "#.#"}}, {'V', 3, {"#.#", "#.#", "#.#", "#.#", ".#."}},
    {'A', 3, {".#.", "#.#", "###", "#.#", "#.#"}}, {'N', 4, {"#..#", "##.#", "#.##", "#..#", "#..#"}},
    {'E', 3, {"###", "#..", "##.", "#..", "###"}},
};

const TinyLetter* FindTiny(char c) {
    for (const TinyLetter& l : kTinyLetters) {
        if (l.c == c) return &l;
    }
    return nullptr;
}

int TinyWidth(std::string_view word) {
    int w = 0;
    for (char c : word) {
        if (const TinyLetter* l = FindTiny(c)) w += l->width + 1;
    }
    return w > 0 ? w - 1 : 0;
}

void DrawTinyWord(CDC& dc, int x, int y, std::string_view word, COLORREF colour) {
    for (char c : word) {
        const TinyLetter* l = FindTiny(c);
        if (!l) continue;
        for (int row = 0; row < 5; ++row) {
            for (int col = 0; col < l->width; ++col) {
                if (l->rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] == '#') {
                    FillRect(dc, RECT{x + col, y + row, x + col + 1, y + row + 1}, colour);
                }
            }
        }
        x += l->width + 1;
    }
}

const PaletteMask kIconColours = MaskOf({kBlack, kGrey, kSilver, kTeal, kWhite, kLime});

gdi::SurfacePtr DrawLarge(COLORREF background) {
    Canvas canvas(32, 32, background);
    CDC& dc = canvas.dc();
    // Stand: a neck and a wide foot.
    FillRect(dc, RECT{13, 22, 19, 27}, Colour(kGrey));
    FillRect(dc, RECT{7, 27, 25, 30}, Colour(kBlack));
    FillRect(dc, RECT{8, 27, 24, 29}, Colour(kSilver));
    // Cabinet: a black outline round a silver bezel with a deeper chin.
    FillRect(dc, RECT{0, 3, 32, 24}, Colour(kBlack));
    FillRect(dc, RECT{1, 4, 31, 23}, Colour(kSilver));
    FillRect(dc, RECT{28, 20, 30, 21}, Colour(kLime));  // power light
    // Screen.
    const RECT screen{1, 5, 31, 19};
    FillRect(dc, RECT{screen.left, screen.top - 1, screen.right, screen.top}, Colour(kGrey));
    FillRect(dc, screen, Colour(kTeal));
    const int word_w = TinyWidth("CORVANE");
    DrawTinyWord(dc, screen.left + (screen.right - screen.left - word_w) / 2,
                 screen.top + (screen.bottom - screen.top - 5) / 2, "CORVANE", Colour(kWhite));
    return canvas.Release();
}

gdi::SurfacePtr DrawSmall(COLORREF background) {
    Canvas canvas(16, 16, background);
    CDC& dc = canvas.dc();
    FillRect(dc, RECT{6, 11, 10, 14}, Colour(kGrey));
    FillRect(dc, RECT{3, 13, 13, 15}, Colour(kBlack));
    FillRect(dc, RECT{0, 1, 16, 12}, Colour(kBlack));
    FillRect(dc, RECT{1, 2, 15, 11}, Colour(kSilver));
    FillRect(dc, RECT{1, 2, 15, 9}, Colour(kTeal));
    FillRect(dc, RECT{3, 5, 13, 6}, Colour(kWhite));  // the brand word
    return canvas.Release();
}

// The 32-pixel design's shapes on a grid of size / 32 pixels per unit.
gdi::SurfacePtr DrawScaled(int size, COLORREF background) {
    Canvas canvas(size, size, background);
    CDC& dc = canvas.dc();
    const double u = size / 32.0;
    const auto at = [u](double v) { return static_cast<int>(std::lround(v * u)); };
    const auto rect = [&at](double l, double t, double r, double b) {
        return RECT{at(l), at(t), at(r), at(b)};
    };
    FillRect(dc, rect(13, 22, 19, 27.5), Colour(kGrey));
    FillRoundRect(dc, rect(7, 27, 25, 30), u, Colour(kBlack));
    FillRoundRect(dc, rect(7.5, 27.5, 24.5, 29), u * 0.5, Colour(kSilver));
    FillRoundRect(dc, rect(0, 3, 32, 24), 1.5 * u, Colour(kBlack));
    FillRoundRect(dc, rect(0.75, 3.75, 31.25, 23.25), u, Colour(kSilver));
    FillRoundRect(dc, rect(27.5, 20, 30, 21.5), 0.5 * u, Colour(kLime));  // power light
    const RECT screen = rect(1.5, 5, 30.5, 19);
    FillRect(dc, RECT{screen.left, screen.top - std::max(1, at(0.5)), screen.right, screen.top},
             Colour(kGrey));
    FillRect(dc, screen, Colour(kTeal));
    const int screen_w = screen.right - screen.left;
    const int screen_h = screen.bottom - screen.top;
    const CFont font = FitFont("CORVANE", screen_w * 17 / 20, screen_h / 2, FW_BOLD);
    const RECT ink = InkBounds(font, "CORVANE");
    DrawText(dc, font, screen.left + (screen_w - (ink.right - ink.left)) / 2 - ink.left,
             screen.top + (screen_h - (ink.bottom - ink.top)) / 2 - ink.top, "CORVANE", Colour(kWhite));
    return canvas.Release();
}

}  // namespace

std::vector<Picture> DrawAppIcon() {
    return {Picture{"128-32", DrawLarge(Colour(kWhite)), kIconColours},
            Picture{"128-16", DrawSmall(Colour(kWhite)), kIconColours}};
}

gdi::SurfacePtr DrawThemeIcon(int size, COLORREF background) {
    if (size <= 16) return DrawSmall(background);
    if (size <= 32) return DrawLarge(background);
    return DrawScaled(size, background);
}

}  // namespace resgen
