// The wizard's button faces. Up images are raised (heavy frame edge at the
// bottom and right); down images are sunken (heavy edge at the top and left)
// with the face content moved right and down by the difference of the edges.
#include <string>
#include <vector>

#include "tools/resgen/canvas.h"
#include "tools/resgen/pictures.h"

namespace resgen {
namespace {

constexpr int kThinEdge = 2;
constexpr int kHeavyEdge = 5;  // a press moves the face by kHeavyEdge - kThinEdge = 3 px

enum class Look { kUp, kDown };
enum class Arrow { kNone, kLeft, kRight };

struct Style {
    PaletteIndex face;
    PaletteIndex frame;
    PaletteIndex shade;  // the line along the inside of the heavy edge
    PaletteIndex ink;
    PaletteIndex highlight = kWhite;  // text edge towards the light (raised text only)
    PaletteIndex shadow = kWhite;     // text edge away from it
};

struct Face {
    std::string text;
    int weight = FW_NORMAL;
    Arrow arrow = Arrow::kNone;
    bool raised_text = false;
    double max_text_height = 0.7;  // of the face's inner height
};

// Paints the frame for the look and returns the face rectangle inside it.
RECT DrawFrame(CDC& dc, int w, int h, const Style& style, Look look) {
    FillRect(dc, RECT{0, 0, w, h}, Colour(style.frame));
    const int near = look == Look::kUp ? kThinEdge : kHeavyEdge;  // top and left
    const int far = look == Look::kUp ? kHeavyEdge : kThinEdge;   // bottom and right
    const RECT face{near, near, w - far, h - far};
    FillRect(dc, face, Colour(style.face));
    const COLORREF shade = Colour(style.shade);
    if (look == Look::kUp) {
        FillRect(dc, RECT{face.left, face.bottom - 1, face.right, face.bottom}, shade);
        FillRect(dc, RECT{face.right - 1, face.top, face.right, face.bottom}, shade);
    } else {
        FillRect(dc, RECT{face.left, face.top, face.right, face.top + 1}, shade);
        FillRect(dc, RECT{face.left, face.top, face.left + 1, face.bottom}, shade);
    }
    return face;
}

// A block arrow with its tip at tip_x, centred on cy, size taken from the
// capital height of the text beside it.
void DrawArrow(CDC& dc, Arrow arrow, double tip_x, double cy, double cap, COLORREF colour) {
    const double dir = arrow == Arrow::kLeft ? 1.0 : -1.0;  // from the tip towards the tail
    const double head_len = cap * 0.62, length = cap * 1.35;
    const double head_half = cap * 0.58, shaft_half = cap * 0.2;
    const PointF pts[] = {
        {tip_x, cy},
        {tip_x + dir * head_len, cy - head_half},
        {tip_x + dir * head_len, cy - shaft_half},
        {tip_x + dir * length, cy - shaft_half},
        {tip_x + dir * length, cy + shaft_half},
        {tip_x + dir * head_len, cy + shaft_half},
        {tip_x + dir * head_len, cy + head_half},
    };
    FillPolygon(dc, pts, colour);
}

void DrawFace(CDC& dc, const RECT& box, const Face& face, const Style& style) {
    const int box_w = box.right - box.left, box_h = box.bottom - box.top;
    const int margin = box_h / 6;
    const int max_height = static_cast<int>(box_h * face.max_text_height);
    const CFont sizing = MakeFont(max_height, face.weight);
    const RECT cap_probe = InkBounds(sizing, "H");
    const int arrow_room = face.arrow == Arrow::kNone ? 0 : (cap_probe.bottom - cap_probe.top) * 2;
    const CFont font = FitFont(face.text, box_w - 2 * margin - arrow_room, max_height, face.weight);

    const RECT cap = InkBounds(font, "H");
    const RECT ink = InkBounds(font, face.text);
    const int cap_h = cap.bottom - cap.top;
    const double arrow_len = face.arrow == Arrow::kNone ? 0 : cap_h * 1.35;
    const double gap = face.arrow == Arrow::kNone ? 0 : cap_h * 0.4;
    const double group = arrow_len + gap + (ink.right - ink.left);
    const double left = box.left + (box_w - group) / 2;
    const double cy = box.top + box_h / 2.0;

    double text_left = left;
    if (face.arrow == Arrow::kLeft) {
        DrawArrow(dc, Arrow::kLeft, left, cy, cap_h, Colour(style.ink));
        text_left = left + arrow_len + gap;
    } else if (face.arrow == Arrow::kRight) {
        DrawArrow(dc, Arrow::kRight, left + group, cy, cap_h, Colour(style.ink));
    }
    const int x = static_cast<int>(text_left + 0.5) - ink.left;
    const int y = static_cast<int>(cy - (cap.top + cap.bottom) / 2.0 + 0.5);
    if (face.raised_text) {
        DrawText(dc, font, x - 1, y - 1, face.text, Colour(style.highlight));
        DrawText(dc, font, x + 1, y + 1, face.text, Colour(style.shadow));
    }
    DrawText(dc, font, x, y, face.text, Colour(style.ink));
}

Picture DrawButton(const std::string& name, int w, int h, const Face& face, const Style& style, Look look) {
    Canvas canvas(w, h, Colour(style.face));
    const RECT box = DrawFrame(canvas.dc(), w, h, style, look);
    // Content sits in the inner face without the shade line, so the press
    // shift is exactly the change of the edges.
    const RECT inner = look == Look::kUp ? RECT{box.left, box.top, box.right - 1, box.bottom - 1}
                                         : RECT{box.left + 1, box.top + 1, box.right, box.bottom};
    DrawFace(canvas.dc(), inner, face, style);
    return Picture{name, canvas.Release(),
                   MaskOf({style.face, style.frame, style.shade, style.ink, style.highlight, style.shadow})};
}

void AddPair(std::vector<Picture>& out, int up, int down, int w, int h, const Face& face,
             const Style& style) {
    out.push_back(DrawButton(std::to_string(up), w, h, face, style, Look::kUp));
    out.push_back(DrawButton(std::to_string(down), w, h, face, style, Look::kDown));
}

}  // namespace

std::vector<Picture> DrawButtonImages() {
    const Style navy{kWhite, kNavy, kSilver, kNavy};
    const Style dark_red{kWhite, kMaroon, kSilver, kMaroon};
    const Style yellow{kYellow, kMaroon, kOlive, kRed, kWhite, kMaroon};
    const Style greyed{kSilver, kGrey, kGrey, kGrey};

    const Face back{"Back", FW_NORMAL, Arrow::kLeft};
    const Face next{"Next", FW_NORMAL, Arrow::kRight};

    std::vector<Picture> out;
    AddPair(out, 150, 151, 182, 64, back, navy);
    AddPair(out, 152, 153, 182, 65, next, navy);
    AddPair(out, 154, 155, 182, 65, Face{"Quit"}, navy);
    AddPair(out, 156, 157, 224, 65, Face{"Adjust", FW_BOLD}, dark_red);
    AddPair(out, 158, 159, 181, 65, Face{"Finish", FW_BOLD}, dark_red);
    AddPair(out, 163, 167, 433, 64,
            Face{"CHANGE TO RECOMMENDED RESOLUTION", FW_BOLD, Arrow::kNone, true, 0.5}, yellow);
    out.push_back(DrawButton("171", 182, 65, next, greyed, Look::kUp));
    return out;
}

}  // namespace resgen
