#include "app/main_frame.h"
#include "draw/font_table.h"
#include "draw/layout.h"
#include "pages/version.h"
#include "platform/gdi/dc_scope.h"
#include "platform/ui/resources.h"

namespace {

constexpr int kBannerResource = 130;
// The banner bitmap is 618 x 117; its last column and row are never shown.
constexpr int kBannerSourceWidth = 617;
constexpr int kBannerSourceHeight = 116;

struct CenteredLine {
    const char* text;
    double y;  // fraction of H
};

// Line 3 keeps its trailing blank: it counts in the centring.
constexpr CenteredLine kBodyLines[] = {
    {"Thank you for purchasing a Corvane Flat Panel LCD.", 0.292},
    {"To maximize the performance of your", 0.411},
    {"Corvane Flat Panel LCD, we strongly suggest that ", 0.4705},
    {"you perform the following display adjustments:", 0.53},
    {"After warm-up, please select the \"Adjust\" button to Begin", 0.6347},
};

int VersionHeight(int resolution_class) {
    return FontHeightTable[resolution_class] - 28;
}

int BodyHeight(int resolution_class) {
    const int F = FontHeightTable[resolution_class];
    return resolution_class <= 1 ? F - 6 : F;
}

std::string VersionText() {
    return "Version: " + VersionMajor + "." + VersionMinor;
}

}  // namespace

std::vector<gdi::text::FontText> CMainFrame::WelcomePageTexts() const {
    std::string body;
    for (const CenteredLine& line : kBodyLines) body += line.text;
    return {{PageFontDescription(BodyHeight(ResolutionClass), kRegular), body},
            {PageFontDescription(VersionHeight(ResolutionClass), kRegular), VersionText()}};
}

void CMainFrame::RenderWelcomePage() {
    CDC& dc = BackBuffer.dc;
    const int W = ScreenMetrics.W, H = ScreenMetrics.H;

    auto versionFont = MakePageFont(VersionHeight(ResolutionClass), kRegular);
    auto bodyFont = MakePageFont(BodyHeight(ResolutionClass), kRegular);

    ClearPage();
    // Set before the save, so black stays the standing text colour afterwards.
    dc.SetTextColor(RGB(0, 0, 0));

    CBitmap banner;
    ui::LoadBitmapResource(banner, kBannerResource);
    CDC bannerDC;
    bannerDC.CreateCompatibleDC(&dc);
    const gdi::Selected<CBitmap> bannerSelected(bannerDC, &banner);
    dc.StretchBlt(Trunc(W * 0.264), Trunc(H * 0.097), Trunc(W * 0.471), Trunc(H * 0.1123), &bannerDC, 0, 0,
                  kBannerSourceWidth, kBannerSourceHeight, SRCCOPY);

    const gdi::SavedDC saved(dc);
    dc.SelectObject(bodyFont.get());
    for (const CenteredLine& line : kBodyLines) DrawCenteredText(line.text, Trunc(H * line.y));

    dc.SelectObject(versionFont.get());
    DrawTextAt(VersionText(), Trunc(W * 0.005), Trunc(H * 0.97));
}
