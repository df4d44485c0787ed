#include <cstring>

#include "app/main_frame.h"
#include "draw/font_table.h"

PageFont::PageFont(const LOGFONTA& description) : description_(description) {
    CreateFontIndirect(&description_);
}

LOGFONTA CMainFrame::PageFontDescription(int height, int style) {
    LOGFONTA lf{};  // every field zero: no weight preference, ANSI, defaults
    lf.lfHeight = height;
    if (style & kBold) lf.lfWeight = FW_BOLD;
    if (style & kItalic) lf.lfItalic = 1;
    std::strcpy(lf.lfFaceName, "Times New Roman");
    return lf;
}

std::unique_ptr<PageFont> CMainFrame::MakePageFont(int height, int style) {
    return std::make_unique<PageFont>(PageFontDescription(height, style));
}
