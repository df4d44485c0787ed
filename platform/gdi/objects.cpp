#include "platform/gdi/objects.h"

#include <cstring>

BOOL CPen::CreatePen(int style, int width, COLORREF color) {
    if (style != PS_SOLID && style != PS_DOT && style != PS_NULL) return FALSE;
    handle_ = std::make_shared<const gdi::PenData>(gdi::PenData{style, width < 0 ? 0 : width, color});
    return TRUE;
}

BOOL CBrush::CreateSolidBrush(COLORREF color) {
    handle_ = std::make_shared<const gdi::BrushData>(gdi::BrushData{color & 0x00FFFFFF, false});
    return TRUE;
}

const gdi::text::SizedFont* gdi::FontData::Font() const {
    if (!resolved_) {
        font_ = text::ResolveFont(logfont);
        resolved_ = true;
    }
    return font_.get();
}

BOOL CFont::CreateFontIndirect(const LOGFONTA* lf) {
    if (!lf) return FALSE;
    gdi::FontData data;
    data.logfont = *lf;
    // The face name may arrive without its terminator; never read past it.
    data.logfont.lfFaceName[LF_FACESIZE - 1] = '\0';
    handle_ = std::make_shared<const gdi::FontData>(std::move(data));
    return TRUE;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* /*dc*/, int width, int height) {
    handle_ = gdi::Surface::Create(width, height);
    return handle_ ? TRUE : FALSE;
}

int CBitmap::GetBitmap(BITMAP* bm) const {
    if (!bm || !handle_) return 0;
    bm->bmWidth = handle_->width();
    bm->bmHeight = handle_->height();
    bm->bmBitsPixel = 32;
    return static_cast<int>(sizeof(BITMAP));
}
