// Turns bytes into drawing calls with arbitrary ints on small and large
// surfaces. Any crash, sanitizer report or hang is a bug.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/gdi/dc.h"

namespace {

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    int Int() {
        // Mostly small coordinates, sometimes the extremes.
        switch (Byte() % 4) {
            case 0:
                return static_cast<int>(Byte()) - 64;
            case 1:
                return static_cast<int>(static_cast<std::int16_t>(Byte() << 8 | Byte()));
            case 2: {
                std::uint32_t v = 0;
                for (int i = 0; i < 4; ++i) v = v << 8 | Byte();
                return static_cast<int>(v);
            }
            default:
                return Byte() % 2 ? INT32_MAX - Byte() : INT32_MIN + Byte();
        }
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in(data, size);
    const int sizes[] = {0, 1, 2, 7, 33, 640, 2048};
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap target;
    target.CreateCompatibleBitmap(&dc, sizes[in.Byte() % 7], sizes[in.Byte() % 4]);
    dc.SelectObject(&target);
    CDC src;
    src.CreateCompatibleDC(&dc);
    CBitmap source;
    source.CreateCompatibleBitmap(&src, sizes[in.Byte() % 5], sizes[in.Byte() % 5]);
    src.SelectObject(&source);

    CPen pen;
    CBrush brush;
    CFont font;
    for (int ops = 0; ops < 64 && !in.empty(); ++ops) {
        switch (in.Byte() % 12) {
            case 0: {
                const int styles[] = {PS_SOLID, PS_DOT, PS_NULL};
                pen.CreatePen(styles[in.Byte() % 3], in.Byte() % 9, RGB(in.Byte(), in.Byte(), in.Byte()));
                dc.SelectObject(&pen);
                break;
            }
            case 1:
                brush.CreateSolidBrush(RGB(in.Byte(), 0, in.Byte()));
                dc.SelectObject(&brush);
                break;
            case 2:
                dc.SetBkMode(in.Byte() % 2 ? OPAQUE : TRANSPARENT);
                break;
            case 3:
                dc.SetStretchBltMode(1 + in.Byte() % 4);
                break;
            case 4:
                dc.MoveTo(in.Int(), in.Int());
                break;
            case 5:
                dc.LineTo(in.Int(), in.Int());
                break;
            case 6:
                dc.Rectangle(in.Int(), in.Int(), in.Int(), in.Int());
                break;
            case 7:
                dc.PatBlt(in.Int(), in.Int(), in.Int(), in.Int(), PATCOPY);
                break;
            case 8:
                dc.BitBlt(in.Int(), in.Int(), in.Int(), in.Int(), &src, in.Int(), in.Int(), SRCCOPY);
                break;
            case 9: {
                const int x = in.Int(), y = in.Int(), w = in.Int(), h = in.Int();
                dc.StretchBlt(x, y, w, h, &src, in.Int(), in.Int(), in.Int(), in.Int(), SRCCOPY);
                break;
            }
            case 10: {
                LOGFONTA lf{};
                lf.lfHeight = in.Int();
                lf.lfWeight = in.Byte() % 2 ? FW_BOLD : 0;
                lf.lfItalic = in.Byte() % 2;
                std::strcpy(lf.lfFaceName, in.Byte() % 2 ? "Times New Roman" : "No Such Face");
                font.CreateFontIndirect(&lf);
                dc.SelectObject(&font);
                break;
            }
            default: {
                char text[16];
                const std::size_t n = in.Byte() % sizeof text;
                for (std::size_t i = 0; i < n; ++i) text[i] = static_cast<char>(in.Byte());
                dc.TextOut(in.Int(), in.Int(), std::string_view(text, n));
                dc.GetTextExtent(std::string_view(text, n));
                break;
            }
        }
    }
    return 0;
}
