#include "platform/ui/bitmap_button.h"

#include "platform/gdi/dc.h"
#include "platform/ui/resources.h"

IMPLEMENT_DYNAMIC(CBitmapButton, CButton)

namespace {

// The start of a BMP file: "BM", then a file header and at least the
// smallest info header (12 bytes) before the pixels.
bool LooksLikeBmp(int id) {
    const std::span<const unsigned char> bytes = ui::FindResource(id);
    return bytes.size() >= 26 && bytes[0] == 'B' && bytes[1] == 'M';
}

}  // namespace

bool CBitmapButton::LazyBitmap::Set(int id) {
    bitmap_.DeleteObject();
    pending_ = 0;
    if (id == 0 || !LooksLikeBmp(id)) return false;
    pending_ = id;
    return true;
}

const CBitmap& CBitmapButton::LazyBitmap::Get() const {
    if (pending_ != 0) {
        const int id = pending_;
        pending_ = 0;
        ui::LoadBitmapResource(bitmap_, id);  // a failure leaves it empty
    }
    return bitmap_;
}

BOOL CBitmapButton::LoadBitmaps(UINT nIDBitmapResource, UINT nIDBitmapResourceSel,
                                UINT nIDBitmapResourceFocus, UINT nIDBitmapResourceDisabled) {
    m_bitmap.Release();
    m_bitmapSel.Release();
    m_bitmapFocus.Release();
    m_bitmapDisabled.Release();
    if (nIDBitmapResource == 0 || !m_bitmap.Set(static_cast<int>(nIDBitmapResource))) return FALSE;
    BOOL all = TRUE;
    const auto load = [&all](LazyBitmap& bmp, UINT id) {
        if (id != 0 && !bmp.Set(static_cast<int>(id))) all = FALSE;
    };
    load(m_bitmapSel, nIDBitmapResourceSel);
    load(m_bitmapFocus, nIDBitmapResourceFocus);
    load(m_bitmapDisabled, nIDBitmapResourceDisabled);
    return all;
}

const CBitmap* CBitmapButton::ImageForState(UINT state) const {
    if ((state & ODS_SELECTED) && DownBitmap().GetSafeHandle()) return &DownBitmap();
    if ((state & ODS_FOCUS) && FocusBitmap().GetSafeHandle()) return &FocusBitmap();
    if ((state & ODS_DISABLED) && DisabledBitmap().GetSafeHandle()) return &DisabledBitmap();
    return &UpBitmap();
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
