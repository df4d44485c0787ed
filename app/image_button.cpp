#include "app/image_button.h"

BEGIN_MESSAGE_MAP(ImageButton, CBitmapButton)
END_MESSAGE_MAP()

void ImageButton::DrawItem(LPDRAWITEMSTRUCT item) {
    const UINT state = item->itemState;
    CBitmap* image = &m_bitmap;
    if ((state & ODS_SELECTED) && m_bitmapSel.GetSafeHandle()) {
        image = &m_bitmapSel;
    } else if ((state & ODS_FOCUS) && m_bitmapFocus.GetSafeHandle()) {
        image = &m_bitmapFocus;
    } else if ((state & ODS_DISABLED) && m_bitmapDisabled.GetSafeHandle()) {
        image = &m_bitmapDisabled;
    }

    CDC* dc = item->hDC;
    CDC memory;
    memory.CreateCompatibleDC(dc);
    HBITMAP previous = memory.SelectObject(image);
    if (!previous) return;  // an empty image: nothing is drawn

    BITMAP info;
    image->GetBitmap(&info);
    const RECT& r = item->rcItem;
    dc->StretchBlt(r.left, r.top, r.right - r.left, r.bottom - r.top, &memory, 0, 0, info.bmWidth, info.bmHeight,
                   SRCCOPY);
    memory.SelectObject(previous);
}
