// CDC: a device context drawing into a 32-bit surface with the pixel rules
// of the Windows drawing services.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/objects.h"
#include "platform/gdi/trace.h"
#include "platform/gdi/types.h"

// What GetDeviceCaps reports about the display; the screen layer provides it.
class IDeviceCaps {
public:
    virtual ~IDeviceCaps() = default;
    virtual int GetDeviceCaps(int index) const = 0;
};

namespace gdi {
// The display every device context reports (memory DCs too). Null: zeros.
void SetDisplayCaps(const IDeviceCaps* caps);
const IDeviceCaps* GetDisplayCaps();
}  // namespace gdi

class CDC {
public:
    CDC();
    ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // A memory DC with the stock objects and a 1 x 1 stock bitmap selected.
    BOOL CreateCompatibleDC(CDC* other);
    // A DC that draws straight into a window's surface (used by the ui layer).
    void AttachWindowSurface(HBITMAP surface);
    void DeleteDC();

    HPEN SelectObject(const CPen* pen);
    HPEN SelectObject(HPEN pen);
    HBRUSH SelectObject(const CBrush* brush);
    HBRUSH SelectObject(HBRUSH brush);
    HFONT SelectObject(const CFont* font);
    HFONT SelectObject(HFONT font);
    // Fails (returns null, nothing changes) for an empty bitmap or a DC that
    // is not a memory DC.
    HBITMAP SelectObject(const CBitmap* bitmap);
    HBITMAP SelectObject(HBITMAP bitmap);

    int SaveDC();
    BOOL RestoreDC(int saved);

    COLORREF SetTextColor(COLORREF c);
    COLORREF GetTextColor() const { return state_.text_color; }
    COLORREF SetBkColor(COLORREF c);
    COLORREF GetBkColor() const { return state_.bk_color; }
    int SetBkMode(int mode);
    int GetBkMode() const { return state_.bk_mode; }
    int SetStretchBltMode(int mode);
    int GetStretchBltMode() const { return state_.stretch_mode; }

    POINT MoveTo(int x, int y);
    BOOL LineTo(int x, int y);
    BOOL Rectangle(int left, int top, int right, int bottom);
    BOOL PatBlt(int x, int y, int width, int height, std::uint32_t rop);
    BOOL BitBlt(int x, int y, int width, int height, CDC* src, int sx, int sy, std::uint32_t rop);
    BOOL StretchBlt(int x, int y, int width, int height, CDC* src, int sx, int sy, int sw, int sh,
                    std::uint32_t rop);
    BOOL TextOut(int x, int y, std::string_view text);
    SIZE GetTextExtent(std::string_view text);
    int GetDeviceCaps(int index) const;

    // Drawing bounds: a rectangle holding every pixel drawn into the
    // selected bitmap since the last reset, by this DC or any other, plus
    // the rectangles accumulated with DCB_ACCUMULATE. It spans whole rows,
    // so it may be larger than what was drawn, never smaller. Both return
    // DCB_SET when the bounds hold pixels, else DCB_RESET; SetBoundsRect
    // adds DCB_ENABLE or DCB_DISABLE as it was before the call.
    unsigned SetBoundsRect(const RECT* rect, unsigned flags);
    unsigned GetBoundsRect(RECT* rect, unsigned flags);

    HPEN GetCurrentPen() const { return state_.pen; }
    HBRUSH GetCurrentBrush() const { return state_.brush; }
    HFONT GetCurrentFont() const { return state_.font; }
    gdi::Surface* surface() const { return state_.bitmap.get(); }

    // Every drawing call made on this DC is recorded while a recorder is set.
    void SetTrace(gdi::TraceRecorder* trace) { trace_ = trace; }

private:
    struct State {
        HPEN pen;
        HBRUSH brush;
        HFONT font;
        HBITMAP bitmap;
        COLORREF text_color = RGB(0, 0, 0);
        COLORREF bk_color = RGB(255, 255, 255);
        int bk_mode = OPAQUE;
        int stretch_mode = BLACKONWHITE;
        POINT position;
    };

    void ResetToStock();
    gdi::TraceObject PenRecord() const;
    gdi::TraceValue BrushRecord() const;
    void Trace(const gdi::TraceObject& record) const {
        if (trace_) trace_->Record(record);
    }

    State state_;
    std::vector<State> saved_;
    bool memory_dc_ = false;
    bool valid_ = false;
    gdi::TraceRecorder* trace_ = nullptr;
    RECT accumulated_{};
    bool bounds_enabled_ = false;
};
