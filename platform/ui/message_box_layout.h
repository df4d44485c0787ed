// Where the parts of a message box go, in the box's client coordinates.
#pragma once

#include <string>
#include <vector>

#include "platform/gdi/objects.h"
#include "platform/ui/message_box.h"

namespace ui::detail {

struct BoxLayout {
    CRect client;
    CRect title;  // the caption strip
    CRect icon;
    std::vector<std::string> lines;
    POINT text_origin;
    int line_height = 0;
    struct Button {
        int id = 0;
        const char* label = "";
        CRect rect;
    };
    std::vector<Button> buttons;
};

std::vector<std::string> SplitLines(const std::string& text);
// Measures the lines with font; the buttons are Yes and No, or OK.
BoxLayout LayoutMessageBox(const std::string& text, UINT type, const CFont& font);
void DrawMessageBox(CDC& dc, const BoxLayout& layout, const CFont& font, const std::string& caption,
                    int pressed_id);

}  // namespace ui::detail
