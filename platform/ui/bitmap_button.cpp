#include "platform/ui/bitmap_button.h"

#include "platform/gdi/dc.h"
#include "platform/ui/resources.h"

IMPLEMENT_DYNAMIC(CBitmapButton, CButton)

BOOL CBitmapButton::LoadBitmaps(UINT nIDBitmapResource, UINT nIDBitmapResourceSel,
                                UINT nIDBitmapResourceFocus, UINT nIDBitmapResourceDisabled) {
    m_bitmap.DeleteObject();
    m_bitmapSel.DeleteObject();
    m_bitmapFocus.DeleteObject();
    m_bitmapDisabled.DeleteObject();
    if (!ui::LoadBitmapResource(m_bitmap, static_cast<int>(nIDBitmapResource))) return FALSE;
    BOOL all = TRUE;
    const auto load = [&all](CBitmap& bmp, UINT id) {
        if (id != 0 && !ui::LoadBitmapResource(bmp, static_cast<int>(id))) all = FALSE;
    };
    load(m_bitmapSel, nIDBitmapResourceSel);
    load(m_bitmapFocus, nIDBitmapResourceFocus);
    load(m_bitmapDisabled, nIDBitmapResourceDisabled);
    return all;
}

const CBitmap* CBitmapButton::ImageForState(UINT state) const {
    if ((state & ODS_SELECTED) && m_bitmapSel.GetSafeHandle()) return &m_bitmapSel;
    if ((state & ODS_FOCUS) && m_bitmapFocus.GetSafeHandle()) return &m_bitmapFocus;
    if ((state & ODS_DISABLED) && m_bitmapDisabled.GetSafeHandle()) return &m_bitmapDisabled;
    return &m_bitmap;
}

void CBitmapButton::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
    if (!lpDIS || !lpDIS->hDC) return;
    const CBitmap* image = ImageForState(lpDIS->itemState);
    CDC memory;
    memory.CreateCompatibleDC(lpDIS->hDC);
    HBITMAP old = memory.SelectObject(image);
    if (!old) return;
    lpDIS->hDC->BitBlt(lpDIS->rcItem.left, lpDIS->rcItem.top, image->Width(), image->Height(), &memory, 0, 0,
                       SRCCOPY);
    memory.SelectObject(old);
}
