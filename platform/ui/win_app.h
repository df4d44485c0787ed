// CWinApp: the application object, its start-up and its message loop.
#pragma once

#include <string>

#include "platform/ui/message_map.h"
#include "platform/ui/wnd.h"

namespace host {
class Host;
}

class CWinApp : public CCmdTarget {
    DECLARE_DYNAMIC(CWinApp)

public:
    // Registers this object as the application; a null name means the
    // executable's file name without directory and extension.
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    // The message loop; returns the exit code (0 once the main window is
    // gone). It also returns, with 0, when the host has no more input.
    virtual int Run();

    HICON LoadIcon(UINT nIDResource) const;
    HCURSOR LoadStandardCursor(int nCursorId) const;

    // Sets m_pszAppName from argv[0] unless a name was given.
    void SetAppNameFromPath(const char* path);

    LPCTSTR m_pszAppName = nullptr;
    CWnd* m_pMainWnd = nullptr;

private:
    std::string app_name_;
    bool name_given_ = false;  // else each start takes the name from its argv[0]
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The application's name, or "app" without an application.
LPCTSTR AfxGetAppName();

// The platform's entry: sets the host, names the application from argv[0],
// runs InitInstance (FALSE: returns 1) and then the message loop.
int AfxWinMain(host::Host& host, int argc, char** argv);
