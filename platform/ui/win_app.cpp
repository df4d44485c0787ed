#include "platform/ui/win_app.h"

#include "platform/context.h"

#include "platform/ui/framework.h"
#include "platform/ui/resources.h"
#include "platform/ui/window_state.h"
#include "platform/ui/wnd_class.h"

namespace {

struct AppPart : platform::Part {
    static constexpr platform::PartId kId = platform::PartId::kApp;
    CWinApp* app = nullptr;
};

CWinApp*& TheApp() {
    return platform::TheContext().Get<AppPart>().app;
}

}  // namespace

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

CWinApp::CWinApp(LPCTSTR lpszAppName) {
    if (lpszAppName) {
        name_given_ = true;
        app_name_ = lpszAppName;
        m_pszAppName = app_name_.c_str();
    }
    TheApp() = this;
    ui::detail::EnsureHooks();
}

CWinApp::~CWinApp() {
    if (TheApp() == this) TheApp() = nullptr;
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
    return TheApp();
}

CWnd* AfxGetMainWnd() {
    CWinApp* app = TheApp();
    return app ? app->m_pMainWnd : nullptr;
}

LPCTSTR AfxGetAppName() {
    CWinApp* app = TheApp();
    return app && app->m_pszAppName ? app->m_pszAppName : "app";
}

int AfxWinMain(host::Host& host, int argc, char** argv) {
    ui::SetHost(&host);
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    app->SetAppNameFromPath(argc > 0 && argv ? argv[0] : nullptr);
    if (!app->InitInstance()) return 1;
    return app->Run();
}
