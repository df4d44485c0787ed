#include "app/image_button.h"
#include "platform/gdi/dc_scope.h"

BEGIN_MESSAGE_MAP(ImageButton, CBitmapButton)
END_MESSAGE_MAP()

void ImageButton::DrawItem(LPDRAWITEMSTRUCT item) {
    const CBitmap* image = ImageForState(item->itemState);

    CDC* dc = item->hDC;
    CDC memory;
    memory.CreateCompatibleDC(dc);
    const gdi::Selected<CBitmap> selected(memory, image);
    if (!selected) return;  // an empty image: nothing is drawn

    BITMAP info;
    image->GetBitmap(&info);
    const RECT& r = item->rcItem;
    dc->StretchBlt(r.left, r.top, r.right - r.left, r.bottom - r.top, &memory, 0, 0, info.bmWidth,
                   info.bmHeight, SRCCOPY);
}
