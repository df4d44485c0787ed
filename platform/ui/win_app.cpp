#include "platform/ui/win_app.h"

#include "platform/ui/framework.h"
#include "platform/ui/resources.h"
#include "platform/ui/window_state.h"
#include "platform/ui/wnd_class.h"

namespace {
CWinApp* g_app = nullptr;
}

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

CWinApp::CWinApp(LPCTSTR lpszAppName) {
    if (lpszAppName) {
        name_given_ = true;
        app_name_ = lpszAppName;
        m_pszAppName = app_name_.c_str();
    }
    g_app = this;
    ui::detail::EnsureHooks();
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

int CWinApp::Run() {
    return ui::RunMessageLoop();
}

HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return ui::LoadIconResource(static_cast<int>(nIDResource));
}

HCURSOR CWinApp::LoadStandardCursor(int nCursorId) const {
    return ::LoadCursor(nullptr, nCursorId);
}

void CWinApp::SetAppNameFromPath(const char* path) {
    if (name_given_) return;
    app_name_ = ui::AppNameFromPath(path);
    m_pszAppName = app_name_.c_str();
}

CWinApp* AfxGetApp() {
    return g_app;
}

CWnd* AfxGetMainWnd() {
    return g_app ? g_app->m_pMainWnd : nullptr;
}

LPCTSTR AfxGetAppName() {
    return g_app && g_app->m_pszAppName ? g_app->m_pszAppName : "app";
}

int AfxWinMain(host::Host& host, int argc, char** argv) {
    ui::SetHost(&host);
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    app->SetAppNameFromPath(argc > 0 && argv ? argv[0] : nullptr);
    if (!app->InitInstance()) return 1;
    return app->Run();
}
