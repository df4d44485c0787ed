#include "platform/ui/message_box_layout.h"

#include <algorithm>

#include "platform/gdi/dc.h"

namespace ui::detail {
namespace {

constexpr int kMargin = 16;
constexpr int kIconSize = 32;
constexpr int kIconGap = 12;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;
constexpr int kButtonGap = 8;
constexpr int kMinWidth = 240;
constexpr int kTitleHeight = 28;

}  // namespace

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t nl = text.find('\n', start);
        if (nl == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }
}

BoxLayout LayoutMessageBox(const std::string& text, UINT type, const CFont& font) {
    BoxLayout l;
    l.lines = SplitLines(text);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&font);
    int text_width = 0;
    l.line_height = std::max(dc.GetTextExtent("Ag").cy, 1);
    for (const std::string& line : l.lines) text_width = std::max(text_width, dc.GetTextExtent(line).cx);
    const int text_height = l.line_height * static_cast<int>(l.lines.size());

    if ((type & MB_TYPEMASK) == MB_YESNO) {
        l.buttons = {{IDYES, "Yes", {}}, {IDNO, "No", {}}};
    } else {
        l.buttons = {{IDOK, "OK", {}}};
    }
    const int n = static_cast<int>(l.buttons.size());
    const int buttons_width = n * kButtonWidth + (n - 1) * kButtonGap;
    const bool icon = (type & 0xF0) == MB_ICONEXCLAMATION;
    const int icon_space = icon ? kIconSize + kIconGap : 0;
    const int content_height = std::max(icon ? kIconSize : 0, text_height);
    const int width =
        std::max({kMinWidth, kMargin + icon_space + text_width + kMargin, buttons_width + 2 * kMargin});
    const int height = kTitleHeight + kMargin + content_height + kMargin + kButtonHeight + kMargin;
    const int top = kTitleHeight + kMargin;
    l.client = CRect(0, 0, width, height);
    l.title = CRect(0, 0, width, kTitleHeight);
    if (icon) l.icon = CRect(kMargin, top, kMargin + kIconSize, top + kIconSize);
    l.text_origin = POINT{kMargin + icon_space, top + (content_height - text_height) / 2};
    int x = (width - buttons_width) / 2;
    const int y = height - kMargin - kButtonHeight;
    for (auto& b : l.buttons) {
        b.rect = CRect(x, y, x + kButtonWidth, y + kButtonHeight);
        x += kButtonWidth + kButtonGap;
    }
    return l;
}

}  // namespace ui::detail
