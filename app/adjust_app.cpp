#include "app/adjust_app.h"

#include "app/main_frame.h"

BEGIN_MESSAGE_MAP(CAdjustApp, CWinApp)
END_MESSAGE_MAP()

CAdjustApp theApp;

BOOL CAdjustApp::InitInstance() {
    CMainFrame* frame = new CMainFrame;
    m_pMainWnd = frame;
    frame->ShowWindow(SW_SHOWMAXIMIZED);
    frame->UpdateWindow();
    return TRUE;
}
