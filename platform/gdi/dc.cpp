#include "platform/gdi/dc.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>

#include "platform/context.h"
#include "platform/gdi/raster.h"

namespace gdi {
namespace {

struct DisplayCapsPart : platform::Part {
    static constexpr platform::PartId kId = platform::PartId::kDisplayCaps;
    const IDeviceCaps* caps = nullptr;
};

int ClampToInt(long long v) {
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

HPEN StockBlackPen() {
    static const HPEN pen = std::make_shared<const PenData>(PenData{PS_SOLID, 0, RGB(0, 0, 0)});
    return pen;
}

HBRUSH StockWhiteBrush() {
    static const HBRUSH brush = std::make_shared<const BrushData>(BrushData{RGB(255, 255, 255), false});
    return brush;
}

// The system font: resolved once, on first use.
HFONT StockSystemFont() {
    static const HFONT font = [] {
        FontData data;
        data.logfont.lfHeight = 16;
        data.logfont.lfWeight = FW_BOLD;
        std::strcpy(data.logfont.lfFaceName, "System");
        return std::make_shared<const FontData>(std::move(data));
    }();
    return font;
}

// The 1 x 1 bitmap a new memory DC starts with; each DC gets its own, so
// drawing into one never shows in another.
HBITMAP NewStockBitmap() {
    return Surface::Create(1, 1);
}

const char* PenStyleName(int style) {
    switch (style) {
        case PS_DOT:
            return "dot";
        case PS_NULL:
            return "null";
        default:
            return "solid";
    }
}

}  // namespace

void SetDisplayCaps(const IDeviceCaps* caps) {
    platform::TheContext().Get<DisplayCapsPart>().caps = caps;
}
const IDeviceCaps* GetDisplayCaps() {
    return platform::TheContext().Get<DisplayCapsPart>().caps;
}

}  // namespace gdi

using gdi::TraceObject;
using gdi::TraceValue;

CDC::CDC() = default;
CDC::~CDC() = default;

void CDC::ResetToStock() {
    state_ = State{};
    state_.pen = gdi::StockBlackPen();
    state_.brush = gdi::StockWhiteBrush();
    state_.font = nullptr;  // resolved lazily: most DCs never draw text
    saved_.clear();
}

BOOL CDC::CreateCompatibleDC(CDC* /*other*/) {
    ResetToStock();
    state_.bitmap = gdi::NewStockBitmap();
    memory_dc_ = true;
    valid_ = true;
    return TRUE;
}

void CDC::AttachWindowSurface(HBITMAP surface) {
    ResetToStock();
    state_.bitmap = std::move(surface);
    memory_dc_ = false;
    valid_ = true;
}

void CDC::DeleteDC() {
    state_ = State{};
    saved_.clear();
    valid_ = false;
    memory_dc_ = false;
}

HPEN CDC::SelectObject(const CPen* pen) {
    return pen ? SelectObject(pen->GetSafeHandle()) : nullptr;
}
HPEN CDC::SelectObject(HPEN pen) {
    if (!pen || !valid_) return nullptr;
    return std::exchange(state_.pen, std::move(pen));
}
HBRUSH CDC::SelectObject(const CBrush* brush) {
    return brush ? SelectObject(brush->GetSafeHandle()) : nullptr;
}
HBRUSH CDC::SelectObject(HBRUSH brush) {
    if (!brush || !valid_) return nullptr;
    return std::exchange(state_.brush, std::move(brush));
}
HFONT CDC::SelectObject(const CFont* font) {
    return font ? SelectObject(font->GetSafeHandle()) : nullptr;
}
HFONT CDC::SelectObject(HFONT font) {
    if (!font || !valid_) return nullptr;
    HFONT previous = state_.font ? state_.font : gdi::StockSystemFont();
    state_.font = std::move(font);
    return previous;
}
HBITMAP CDC::SelectObject(const CBitmap* bitmap) {
    return bitmap ? SelectObject(bitmap->GetSafeHandle()) : nullptr;
}
HBITMAP CDC::SelectObject(HBITMAP bitmap) {
    if (!bitmap || !valid_ || !memory_dc_) return nullptr;
    return std::exchange(state_.bitmap, std::move(bitmap));
}

int CDC::SaveDC() {
    if (!valid_) return 0;
    saved_.push_back(state_);
    return static_cast<int>(saved_.size());
}

BOOL CDC::RestoreDC(int saved) {
    const int depth = static_cast<int>(saved_.size());
    int level = saved < 0 ? depth + saved + 1 : saved;  // -1 is the latest
    if (saved == 0 || level < 1 || level > depth) return FALSE;
    state_ = saved_[static_cast<std::size_t>(level - 1)];
    saved_.resize(static_cast<std::size_t>(level - 1));
    return TRUE;
}

COLORREF CDC::SetTextColor(COLORREF c) {
    return std::exchange(state_.text_color, c & 0x00FFFFFF);
}
COLORREF CDC::SetBkColor(COLORREF c) {
    return std::exchange(state_.bk_color, c & 0x00FFFFFF);
}
int CDC::SetBkMode(int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE) return 0;
    return std::exchange(state_.bk_mode, mode);
}
int CDC::SetStretchBltMode(int mode) {
    if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
    return std::exchange(state_.stretch_mode, mode);
}

TraceObject CDC::PenRecord() const {
    TraceObject pen;
    const gdi::PenData& p = *state_.pen;
    pen.Add("style", gdi::PenStyleName(p.style))
        .Add("width", std::max(1, p.width))
        .Add("color", gdi::ColorHex(p.color));
    return pen;
}

TraceValue CDC::BrushRecord() const {
    if (!state_.brush || state_.brush->null_brush) return nullptr;
    return gdi::ColorHex(state_.brush->color);
}

namespace {

// The current position is stored whole, in one store: a load of it that
// follows at once (MoveTo then LineTo) then takes the value from the store,
// where a load spanning two stores would wait for both to reach the cache.
void StorePosition(POINT& position, int x, int y) {
    static_assert(sizeof(POINT) == sizeof(std::uint64_t));
    const auto bits = std::bit_cast<std::uint64_t>(POINT{x, y});
    std::memcpy(static_cast<void*>(&position), &bits, sizeof bits);
}

}  // namespace

POINT CDC::MoveTo(int x, int y) {
    const POINT old = state_.position;
    StorePosition(state_.position, x, y);
    return old;
}

BOOL CDC::LineTo(int x, int y) {
    if (!valid_) return FALSE;
    const POINT pts[2] = {state_.position, {x, y}};
    StorePosition(state_.position, x, y);
    if (trace_) {
        TraceObject r;
        r.Add("op", "line").Add("from", std::vector<std::int64_t>{pts[0].x, pts[0].y});
        r.Add("to", std::vector<std::int64_t>{x, y}).Add("pen", PenRecord());
        Trace(r);
    }
    const gdi::PenData& pen = *state_.pen;
    gdi::Surface* s = surface();
    if (!s || pen.style == PS_NULL) return TRUE;
    // A solid one-pixel vertical line is one column of the surface's batch:
    // pages of stripes draw hundreds of them.
    if (x == pts[0].x && pen.style == PS_SOLID && pen.width <= 1) {
        gdi::raster::SolidColumn(*s, pts[0], pts[1], gdi::ToPixel(pen.color));
        return TRUE;
    }
    if (pen.width > 1) {
        gdi::raster::WidePolyline(*s, pts, 2, false, pen.width, gdi::ToPixel(pen.color));
    } else {
        gdi::raster::CosmeticPen cp{gdi::ToPixel(pen.color), pen.style == PS_DOT, state_.bk_mode == OPAQUE,
                                    gdi::ToPixel(state_.bk_color)};
        gdi::raster::CosmeticPolyline(*s, pts, 2, cp);
    }
    return TRUE;
}

BOOL CDC::Rectangle(int left, int top, int right, int bottom) {
    if (!valid_) return FALSE;
    RECT r{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    if (trace_) {
        TraceObject t;
        t.Add("op", "rect").Add("rect", std::vector<std::int64_t>{r.left, r.top, r.right, r.bottom});
        t.Add("pen", PenRecord()).Add("brush", BrushRecord());
        Trace(t);
    }
    gdi::Surface* s = surface();
    if (!s) return TRUE;
    const gdi::PenData& pen = *state_.pen;
    gdi::raster::RectPen rp{pen.style, std::max(1, pen.width), gdi::ToPixel(pen.color)};
    gdi::Pixel brush = 0;
    const bool has_brush = state_.brush && !state_.brush->null_brush;
    if (has_brush) brush = gdi::ToPixel(state_.brush->color);
    gdi::raster::Rectangle(*s, r, rp, has_brush ? &brush : nullptr, state_.bk_mode == OPAQUE,
                           gdi::ToPixel(state_.bk_color));
    return TRUE;
}

BOOL CDC::PatBlt(int x, int y, int width, int height, std::uint32_t rop) {
    if (!valid_ || rop != PATCOPY) return FALSE;
    // A negative size flips the span to [x + w + 1, x + 1).
    long long l = x, r = static_cast<long long>(x) + width;
    long long t = y, b = static_cast<long long>(y) + height;
    if (width < 0) l = r + 1, r = static_cast<long long>(x) + 1;
    if (height < 0) t = b + 1, b = static_cast<long long>(y) + 1;
    RECT rect{gdi::ClampToInt(l), gdi::ClampToInt(t), gdi::ClampToInt(r), gdi::ClampToInt(b)};
    if (trace_) {
        TraceObject f;
        f.Add("op", "fill").Add("rect", std::vector<std::int64_t>{l, t, r, b}).Add("brush", BrushRecord());
        Trace(f);
    }
    gdi::Surface* s = surface();
    if (!s || !state_.brush || state_.brush->null_brush) return TRUE;
    gdi::raster::FillRect(*s, rect, gdi::ToPixel(state_.brush->color));
    return TRUE;
}

namespace {

TraceObject BlitRecord(int x, int y, int w, int h, int sx, int sy, int sw, int sh, const gdi::Surface* src,
                       const char* mode) {
    TraceObject b;
    b.Add("op", "blit").Add("dst", std::vector<std::int64_t>{x, y, w, h});
    b.Add("src", std::vector<std::int64_t>{sx, sy, sw, sh});
    if (src && src->resource_id >= 0) {
        b.Add("bitmap", src->resource_id);
    } else {
        b.Add("bitmap", nullptr);
    }
    b.Add("mode", mode);
    return b;
}

}  // namespace

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* src, int sx, int sy, std::uint32_t rop) {
    if (!valid_ || !src || !src->valid_ || rop != SRCCOPY) return FALSE;
    if (trace_) Trace(BlitRecord(x, y, width, height, sx, sy, width, height, src->surface(), "copy"));
    gdi::Surface* d = surface();
    const gdi::Surface* s = src->surface();
    if (!d || !s) return TRUE;
    gdi::raster::BitBlt(*d, x, y, width, height, *s, sx, sy);
    return TRUE;
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* src, int sx, int sy, int sw, int sh,
                     std::uint32_t rop) {
    if (!valid_ || !src || !src->valid_ || rop != SRCCOPY) return FALSE;
    if (trace_) Trace(BlitRecord(x, y, width, height, sx, sy, sw, sh, src->surface(), "stretch"));
    gdi::Surface* d = surface();
    const gdi::Surface* s = src->surface();
    if (!d || !s) return TRUE;
    gdi::raster::StretchBlt(*d, x, y, width, height, *s, sx, sy, sw, sh, state_.stretch_mode);
    return TRUE;
}

SIZE CDC::GetTextExtent(std::string_view text) {
    SIZE size;
    if (valid_) {
        if (!state_.font) state_.font = gdi::StockSystemFont();
        if (const gdi::text::SizedFont* sized = state_.font->Font()) size = sized->Measure(text);
    }
    if (trace_) {
        TraceObject e;
        e.Add("op", "extent").Add("text", std::string(text)).Add("cx", size.cx).Add("cy", size.cy);
        Trace(e);
    }
    return size;
}

BOOL CDC::TextOut(int x, int y, std::string_view text) {
    if (!valid_) return FALSE;
    if (!state_.font) state_.font = gdi::StockSystemFont();
    const gdi::FontData& font = *state_.font;
    SIZE size;
    if (const gdi::text::SizedFont* sized = font.Font()) {
        const gdi::Pixel bk = gdi::ToPixel(state_.bk_color);
        size = sized->DrawText(surface(), x, y, text, gdi::ToPixel(state_.text_color),
                               state_.bk_mode == OPAQUE ? &bk : nullptr);
    }
    if (trace_) {
        TraceObject t;
        t.Add("op", "text").Add("x", x).Add("y", y).Add("text", std::string(text));
        t.Add("face", std::string(font.logfont.lfFaceName)).Add("height", font.logfont.lfHeight);
        t.Add("weight", font.logfont.lfWeight).Add("italic", font.logfont.lfItalic != 0);
        t.Add("color", gdi::ColorHex(state_.text_color));
        t.Add("bkmode", state_.bk_mode == OPAQUE ? "opaque" : "transparent");
        t.Add("bkcolor", gdi::ColorHex(state_.bk_color)).Add("cx", size.cx).Add("cy", size.cy);
        Trace(t);
    }
    return TRUE;
}

int CDC::GetDeviceCaps(int index) const {
    const IDeviceCaps* caps = gdi::GetDisplayCaps();
    return caps ? caps->GetDeviceCaps(index) : 0;
}
