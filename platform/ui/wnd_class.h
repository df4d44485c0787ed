// Window classes: class style, cursor, background brush and icon, looked up
// by name when a window is created.
#pragma once

#include <string>

#include "platform/gdi/objects.h"
#include "platform/ui/wintypes.h"

struct WndClassInfo {
    std::string name;
    UINT style = 0;
    HCURSOR hCursor = nullptr;
    HBRUSH hbrBackground;
    HICON hIcon = nullptr;
};

// Registers (or finds) a class with these attributes and returns its name,
// valid for the whole run.
LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                            HICON hIcon = nullptr);
// The same with a system colour index + 1 as the background, as Windows allows.
LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, int nSysColorPlusOne, HICON hIcon = nullptr);

// Null for unknown names; the built-in classes are "BUTTON", "AfxWnd",
// "AfxFrameOrView" (white background) and "#32770" (message boxes).
const WndClassInfo* FindWndClass(LPCTSTR name);

// A standard cursor (IDC_ARROW); the instance must be null.
HCURSOR LoadCursor(HINSTANCE hInstance, int nCursorId);
// Brush of a system colour: COLOR_WINDOW (white), COLOR_WINDOWTEXT,
// COLOR_BTNFACE; null for others.
HBRUSH GetSysColorBrush(int nIndex);
COLORREF GetSysColor(int nIndex);

constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_BTNFACE = 15;
