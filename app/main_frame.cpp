#include "app/main_frame.h"

#include "app/button_ids.h"

IMPLEMENT_DYNAMIC(CMainFrame, CFrameWnd)

void CMainFrame::SetTrace(gdi::TraceRecorder* trace) {
    gdi::SetRunTrace(trace);
}

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_COMMAND(IDC_FORWARD, OnNext)
ON_COMMAND(IDC_BACK, OnBack)
ON_COMMAND(IDC_CLOSE, OnQuit)
ON_COMMAND(IDC_CHANGE_RESOLUTION, ChangeToRecommendedResolution)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() {
    Create(nullptr, "Corvane LCD Adjustment", WS_POPUP, rectDefault, nullptr, nullptr, 0, nullptr);
    ModifyStyleEx(WS_EX_CLIENTEDGE, 0);
    MeasureScreen();
    // The first page's glyphs are rendered beside this thread, if the font
    // set-up is still running, while the frame is made and the page cleared.
    gdi::text::PrepareDuringFontSetup(WelcomePageTexts());
    CClientDC client(this);
    BuildBackBuffer(&client);
    LayoutSizeChart();
    LoadIcons();
    CreateButtons();
    CurrentPage = WizardPage::Welcome;
    PanelSize = -1;
    RenderCurrentPage();
}

CMainFrame::~CMainFrame() {
    ReleaseBackBuffer();
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs) {
    if (!CFrameWnd::PreCreateWindow(cs)) return FALSE;
    cs.lpszClass = AfxRegisterWndClass(0, AfxGetApp()->LoadStandardCursor(IDC_ARROW), COLOR_WINDOW + 1,
                                       AfxGetApp()->LoadIcon(128));
    return TRUE;
}

// The back buffer is a memory surface with a W x H bitmap in the screen's
// format. A size the drawing layer refuses leaves it without a bitmap: pages
// then draw nothing and the screen stays blank until a drawable mode.
void CMainFrame::BuildBackBuffer(CDC* client) {
    BackBuffer.dc.CreateCompatibleDC(client);
    BackBuffer.dc.SetTrace(gdi::RunTrace());
    BackBuffer.dc.SetBkMode(TRANSPARENT);
    BackBuffer.bitmap.CreateCompatibleBitmap(client, ScreenMetrics.W, ScreenMetrics.H);
    BackBuffer.previous = BackBuffer.dc.SelectObject(&BackBuffer.bitmap);
}

void CMainFrame::ReleaseBackBuffer() {
    if (BackBuffer.previous) BackBuffer.dc.SelectObject(BackBuffer.previous);
    BackBuffer.previous = nullptr;
    BackBuffer.bitmap.DeleteObject();
    BackBuffer.dc.DeleteDC();
}

// Copies the part asked for, and whatever was drawn into the back buffer
// since the last paint, so that nothing drawn is left off the screen.
void CMainFrame::OnPaint() {
    CPaintDC dc(this);
    if (!BackBuffer.previous) return;
    CRect drawn;
    BackBuffer.dc.GetBoundsRect(&drawn, DCB_RESET);
    CRect part;
    if (part.UnionRect(&dc.m_ps.rcPaint, &drawn))
        dc.BitBlt(part.left, part.top, part.Width(), part.Height(), &BackBuffer.dc, part.left, part.top,
                  SRCCOPY);
}

void CMainFrame::RenderCurrentPage() {
    MeasureScreen();
    if (gdi::TraceRecorder* trace = gdi::RunTrace()) {
        gdi::TraceObject record;
        record.Add("op", "render").Add("page", WizardPageName(CurrentPage)).Add("width", ScreenMetrics.W);
        record.Add("height", ScreenMetrics.H)
            .Add("refresh", ScreenMetrics.RefreshRate)
            .Add("class", ResolutionClass);
        trace->Record(record);
    }
    switch (CurrentPage) {
        case WizardPage::Welcome:
            RenderWelcomePage();
            break;
        case WizardPage::Resolution:
            RenderResolutionPage();
            break;
        case WizardPage::Pitch:
            RenderPitchPage();
            break;
        case WizardPage::Phase:
            RenderPhasePage();
            break;
        case WizardPage::Centering:
            RenderCenteringPage();
            break;
        case WizardPage::Completion:
            RenderCompletionPage();
            break;
    }
    UpdatePageButtons();
    Invalidate(TRUE);
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DISPLAYCHANGE) {
        DestroyButtons();
        MeasureScreen();
        CClientDC client(this);
        ReleaseBackBuffer();
        BuildBackBuffer(&client);
        MoveWindow(0, 0, ScreenMetrics.W, ScreenMetrics.H, TRUE);
        CreateButtons();
        LayoutSizeChart();
        RenderCurrentPage();
    }
    return CFrameWnd::WindowProc(message, wParam, lParam);
}

void CMainFrame::OnLButtonDown(UINT flags, CPoint point) {
    SelectPanelSizeAt(point.x, point.y);
    DefWindowProc(WM_LBUTTONDOWN, flags, MAKELPARAM(point.x, point.y));
}
