// Lets the framework's own code reach the protected virtuals of CWnd.
#pragma once

#include "platform/ui/wnd.h"

namespace ui::detail {

struct Access {
    static LRESULT WindowProc(CWnd* w, UINT m, WPARAM wp, LPARAM lp) { return w->WindowProc(m, wp, lp); }
    static void PostNcDestroy(CWnd* w) { w->PostNcDestroy(); }
};

}  // namespace ui::detail
