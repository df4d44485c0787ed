#include "app/image_button.h"

BEGIN_MESSAGE_MAP(ImageButton, CBitmapButton)
END_MESSAGE_MAP()

void ImageButton::DrawItem(LPDRAWITEMSTRUCT item) {
    const CBitmap* image = ImageForState(item->itemState);

    CDC* dc = item->hDC;
    CDC memory;
    memory.CreateCompatibleDC(dc);
    HBITMAP previous = memory.SelectObject(image);
    if (!previous) return;  // an empty image: nothing is drawn

    BITMAP info;
    image->GetBitmap(&info);
    const RECT& r = item->rcItem;
    dc->StretchBlt(r.left, r.top, r.right - r.left, r.bottom - r.top, &memory, 0, 0, info.bmWidth,
                   info.bmHeight, SRCCOPY);
    memory.SelectObject(previous);
}
