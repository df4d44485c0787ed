// The application object: creates and shows the main window.
#pragma once

#include "platform/ui/afxwin.h"

class CAdjustApp : public CWinApp {
public:
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CAdjustApp theApp;
