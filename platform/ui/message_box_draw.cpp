// The look of a message box: a framed panel, the exclamation icon, the text
// and framed buttons, all with the drawing layer.
#include "platform/gdi/dc.h"
#include "platform/ui/message_box_layout.h"
#include "platform/ui/wnd_class.h"

namespace ui::detail {
namespace {

// A yellow warning triangle with a black "!", built from row fills and lines.
void DrawExclamation(CDC& dc, const CRect& r) {
    CBrush yellow(RGB(255, 204, 0));
    CBrush black(RGB(0, 0, 0));
    const int cx = r.left + r.Width() / 2;
    const int top = r.top + 1;
    const int bottom = r.bottom - 2;
    HBRUSH old = dc.SelectObject(&yellow);
    for (int y = top; y <= bottom; ++y) {
        const int half = (y - top) * (r.Width() / 2 - 1) / (bottom - top);
        dc.PatBlt(cx - half, y, 2 * half + 1, 1, PATCOPY);
    }
    CPen outline(PS_SOLID, 1, RGB(0, 0, 0));
    HPEN old_pen = dc.SelectObject(&outline);
    const int half = r.Width() / 2 - 1;
    dc.MoveTo(cx, top);
    dc.LineTo(cx - half, bottom);
    dc.LineTo(cx + half, bottom);
    dc.LineTo(cx, top);
    dc.SelectObject(old_pen);
    dc.SelectObject(&black);
    dc.PatBlt(cx - 1, top + 9, 3, 12, PATCOPY);
    dc.PatBlt(cx - 1, top + 23, 3, 3, PATCOPY);
    dc.SelectObject(old);
}

void DrawButton(CDC& dc, const BoxLayout::Button& b, bool pressed, bool is_default) {
    CPen frame(PS_SOLID, 1, is_default ? RGB(0, 84, 153) : RGB(112, 112, 112));
    CBrush face(pressed ? RGB(204, 228, 247) : RGB(225, 225, 225));
    HPEN old_pen = dc.SelectObject(&frame);
    HBRUSH old_brush = dc.SelectObject(&face);
    dc.Rectangle(b.rect.left, b.rect.top, b.rect.right, b.rect.bottom);
    dc.SelectObject(old_pen);
    dc.SelectObject(old_brush);
    const SIZE ext = dc.GetTextExtent(b.label);
    dc.TextOut(b.rect.left + (b.rect.Width() - ext.cx) / 2, b.rect.top + (b.rect.Height() - ext.cy) / 2,
               b.label);
}

}  // namespace

void DrawMessageBox(CDC& dc, const BoxLayout& l, const CFont& font, const std::string& caption,
                    int pressed_id) {
    CPen border(PS_SOLID, 1, RGB(64, 64, 64));
    CBrush face(GetSysColor(COLOR_BTNFACE));
    HPEN old_pen = dc.SelectObject(&border);
    HBRUSH old_brush = dc.SelectObject(&face);
    dc.Rectangle(l.client.left, l.client.top, l.client.right, l.client.bottom);
    CBrush title(RGB(255, 255, 255));
    dc.SelectObject(&title);
    dc.Rectangle(l.title.left, l.title.top, l.title.right, l.title.bottom);
    dc.SelectObject(old_pen);
    dc.SelectObject(old_brush);

    if (!l.icon.IsRectEmpty()) DrawExclamation(dc, l.icon);
    HFONT old_font = dc.SelectObject(&font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0, 0, 0));
    const SIZE cap = dc.GetTextExtent(caption);
    dc.TextOut(l.title.left + 10, l.title.top + (l.title.Height() - cap.cy) / 2, caption);
    int y = l.text_origin.y;
    for (const std::string& line : l.lines) {
        dc.TextOut(l.text_origin.x, y, line);
        y += l.line_height;
    }
    for (std::size_t i = 0; i < l.buttons.size(); ++i) {
        DrawButton(dc, l.buttons[i], l.buttons[i].id == pressed_id, i == 0);
    }
    dc.SelectObject(old_font);
}

}  // namespace ui::detail
