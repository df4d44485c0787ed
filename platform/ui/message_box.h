// Message boxes of our own: modal windows centred on the screen, drawn with
// the drawing layer, answered by a click, Enter or Escape.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/wintypes.h"

class CWnd;

// Owned by the main window, captioned with the application name.
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK);

namespace ui {

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::string caption;
    std::string text;
    UINT type = 0;
    CRect rect;  // screen coordinates
    struct Button {
        int id = 0;  // IDYES, IDNO or IDOK
        CRect rect;  // screen coordinates
    };
    std::vector<Button> buttons;
};

// The innermost open box; false when none is open.
bool GetOpenMessageBox(MessageBoxInfo* info);

struct MessageBoxRecord {
    std::string caption;
    std::string text;
    UINT type = 0;
    int answer = 0;  // 0: the input ran out (or the program quit) before an answer
};

// Told about every box as it ends, while the screen still shows it.
void SetMessageBoxObserver(std::function<void(const MessageBoxRecord&)> observer);

// Shows a box owned by owner (may be null) and waits for the answer.
int ShowMessageBox(CWnd* owner, LPCTSTR text, LPCTSTR caption, UINT type);

}  // namespace ui
