// Drawing objects (pens, brushes, fonts, bitmaps) in the manner of the
// framework's CGdiObject classes. A handle is a shared pointer to immutable
// data (or to the bitmap's pixels), so a device context that still has an
// object selected keeps it alive when the C++ object is destroyed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/gdi/surface.h"
#include "platform/gdi/text.h"
#include "platform/gdi/types.h"

namespace gdi {

struct PenData {
    int style = PS_SOLID;
    int width = 0;
    COLORREF color = 0;
};

struct BrushData {
    COLORREF color = 0;
    bool null_brush = false;
};

struct FontData {
    LOGFONTA logfont;
    // The font matched to logfont, null when no font exists at all. Matched
    // when first drawn or measured with, so that a page may make its fonts
    // and draw its pictures while fontconfig's set-up is still running.
    const text::SizedFont* Font() const;

private:
    mutable std::shared_ptr<const text::SizedFont> font_;
    mutable bool resolved_ = false;
};

}  // namespace gdi

using HPEN = std::shared_ptr<const gdi::PenData>;
using HBRUSH = std::shared_ptr<const gdi::BrushData>;
using HFONT = std::shared_ptr<const gdi::FontData>;
using HBITMAP = std::shared_ptr<gdi::Surface>;

class CDC;

class CPen {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    BOOL CreatePen(int style, int width, COLORREF color);
    void DeleteObject() { handle_.reset(); }
    HPEN GetSafeHandle() const { return handle_; }

private:
    HPEN handle_;
};

class CBrush {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    BOOL CreateSolidBrush(COLORREF color);
    void DeleteObject() { handle_.reset(); }
    HBRUSH GetSafeHandle() const { return handle_; }

private:
    HBRUSH handle_;
};

class CFont {
public:
    CFont() = default;
    virtual ~CFont() = default;
    // Matches the description against the installed fonts (cached); keeps a
    // copy of the description.
    BOOL CreateFontIndirect(const LOGFONTA* lf);
    void DeleteObject() { handle_.reset(); }
    HFONT GetSafeHandle() const { return handle_; }

private:
    HFONT handle_;
};

struct BITMAP {
    int bmWidth = 0;
    int bmHeight = 0;
    int bmBitsPixel = 0;
};

class CBitmap {
public:
    CBitmap() = default;
    // A 32-bit bitmap of width x height; fails (FALSE) when the size is refused.
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    // Decodes a BMP file image; resource_id is remembered for traces.
    BOOL LoadFromBmp(const std::uint8_t* bytes, std::size_t size, int resource_id = -1);
    int GetBitmap(BITMAP* bm) const;
    int Width() const { return handle_ ? handle_->width() : 0; }
    int Height() const { return handle_ ? handle_->height() : 0; }
    void DeleteObject() { handle_.reset(); }
    HBITMAP GetSafeHandle() const { return handle_; }
    void Attach(HBITMAP surface) { handle_ = std::move(surface); }

private:
    HBITMAP handle_;
};
