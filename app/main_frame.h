// The wizard's one full-screen window: owner of the back buffer, the screen
// metrics, the current page, the panel-size chart and the six buttons.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/image_button.h"
#include "app/wizard_page.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/text.h"
#include "platform/ui/afxwin.h"

// A page font: a CFont that keeps the description it was made from.
class PageFont : public CFont {
public:
    explicit PageFont(const LOGFONTA& description);
    const LOGFONTA& Description() const { return description_; }

private:
    LOGFONTA description_;
};

// Per-page differences of the two stripe pages (pitch and phase).
struct StripePageLayout;

class CMainFrame : public CFrameWnd {
    DECLARE_DYNAMIC(CMainFrame)

public:
    CMainFrame();
    ~CMainFrame() override;

    // Start-up, paint, render, display change.
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void OnPaint();
    void RenderCurrentPage();
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Navigation and buttons.
    void CreateButtons();
    void DestroyButtons();
    void UpdatePageButtons();
    void OnNext();
    void OnBack();
    void OnQuit();
    void OnLButtonDown(UINT flags, CPoint point);

    // Drawing kit.
    void MeasureScreen();
    void LoadIcons();
    static LOGFONTA PageFontDescription(int height, int style);
    std::unique_ptr<PageFont> MakePageFont(int height, int style);
    void ClearPage();
    void DrawCenteredText(std::string text, double y);
    void DrawTextAt(std::string text, double x, double y);
    void StretchIcon(double x, double y, double width, double height, int sourceWidth, int sourceHeight,
                     CDC* source);

    // Resolution page, chart and display-mode change.
    void LayoutSizeChart();
    void DrawSizeChart();
    void DrawSizeRow(const RECT& row, const std::string& label, bool highlighted);
    void UpdateResolutionPanel();
    void SelectPanelSizeAt(int x, int y);
    void RenderResolutionPage();
    void ChangeToRecommendedResolution();

    // Adjustment pages and their patterns.
    void RenderWelcomePage();
    // Each font the Welcome page draws with at this screen size, with all
    // the text it draws in that font.
    std::vector<gdi::text::FontText> WelcomePageTexts() const;
    void RenderCompletionPage();
    void RenderPitchPage();
    void RenderPhasePage();
    void RenderCenteringPage();
    void StripePattern();
    void BorderPattern();

    // Where the back buffer's drawing calls and each page render are
    // recorded (tests and the snapshot tool); null records nothing.
    static void SetTrace(gdi::TraceRecorder* trace);

    // Read access for tests and the snapshot tool.
    struct BackBufferSurface {
        CDC dc;
        CBitmap bitmap;
        HBITMAP previous;  // the memory DC's own bitmap, selected back on release
    };
    struct ScreenMetricsValues {
        int W = 0;
        int H = 0;
        int RefreshRate = 0;
    };
    struct ChartGeometry {
        int ChartLeftX = 0;
        int ChartRightX = 0;
        RECT SizeRows[5] = {};
        RECT ModeBox = {};
    };

    BackBufferSurface BackBuffer;
    ScreenMetricsValues ScreenMetrics;
    WizardPage CurrentPage = WizardPage::Welcome;
    int PanelSize = -1;
    int ResolutionClass = 0;
    bool ModeMatchesRecommendation = false;
    ChartGeometry Chart;
    SIZE LastTextExtent = {};
    CBitmap IconSlot[6];
    ImageButton AdjustButton;
    ImageButton BackButton;
    ImageButton NextButton;
    ImageButton QuitButton;
    ImageButton FinishButton;
    ImageButton ChangeResolutionButton;

private:
    void BuildBackBuffer(CDC* client);
    void ReleaseBackBuffer();
    void RenderStripePage(const StripePageLayout& layout);

    DECLARE_MESSAGE_MAP()
};
