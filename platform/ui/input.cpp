// Host input becomes posted window messages: mouse input goes to the window
// with the capture or under the pointer, keys to the focus; while a message
// box is open only the box gets any.
#include "platform/ui/message_box.h"
#include "platform/ui/win_app.h"
#include "platform/ui/window_state.h"

namespace ui::detail {
namespace {

// Hidden windows are skipped; so are disabled children, whose clicks fall
// through to their parent. A disabled top-level window takes nothing.
HWND ChildAt(HWND hwnd, POINT client) {
    Window* w = Find(hwnd);
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
        Window* c = Find(*it);
        if (!c || !(c->style & WS_VISIBLE) || (c->style & WS_DISABLED)) continue;
        if (!c->rect.PtInRect(client)) continue;
        return ChildAt(c->hwnd, POINT{client.x - c->rect.left, client.y - c->rect.top});
    }
    return hwnd;
}

HWND WindowAt(POINT p) {
    const std::vector<HWND>& tops = S().top_levels;
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        Window* w = Find(*it);
        if (!w || !(w->style & WS_VISIBLE) || !w->rect.PtInRect(p)) continue;
        if (w->style & WS_DISABLED) return nullptr;
        return ChildAt(w->hwnd, POINT{p.x - w->rect.left, p.y - w->rect.top});
    }
    return nullptr;
}

bool Blocked(HWND target) {
    return !S().modal.empty() && !IsDescendantOrSelf(target, S().modal.back());
}

void Mouse(UINT message, POINT p) {
    if (message == WM_LBUTTONDOWN) S().left_down = true;
    if (message == WM_LBUTTONUP) S().left_down = false;
    const HWND target = S().capture ? S().capture : WindowAt(p);
    if (!target || Blocked(target)) return;
    const POINT o = ClientOrigin(target);
    const WPARAM keys = S().left_down ? MK_LBUTTON : 0;
    Post(target, message, keys, MAKELPARAM(p.x - o.x, p.y - o.y));
}

void Key(const host::Event& e) {
    const HWND target = S().modal.empty() ? S().focus : S().modal.back();
    if (!target || Blocked(target)) return;
    Post(target, WM_KEYDOWN, static_cast<WPARAM>(e.key), 1);
    Post(target, WM_KEYUP, static_cast<WPARAM>(e.key), 1);
}

}  // namespace

void TranslateInput(const host::Event& e) {
    host::Host* host = S().host;
    switch (e.type) {
        case host::Event::kMouseDown:
            Mouse(WM_LBUTTONDOWN, POINT{e.x, e.y});
            break;
        case host::Event::kMouseUp:
            Mouse(WM_LBUTTONUP, POINT{e.x, e.y});
            break;
        case host::Event::kMouseMove:
            Mouse(WM_MOUSEMOVE, POINT{e.x, e.y});
            break;
        case host::Event::kKey:
            Key(e);
            break;
        case host::Event::kQuit: {
            CWinApp* app = AfxGetApp();
            if (!S().modal.empty()) {
                if (host) host->InputRejected(e, "a message box is open");
            } else if (app && app->m_pMainWnd) {
                app->m_pMainWnd->PostMessage(WM_CLOSE);
            }
            break;
        }
        case host::Event::kAnswer: {
            ui::MessageBoxInfo box;
            if (!ui::GetOpenMessageBox(&box)) {
                S().waiting_answers.push_back(e.answer);  // for the next box to open
                break;
            }
            for (const auto& b : box.buttons) {
                if (b.id != e.answer) continue;
                const CPoint c = b.rect.CenterPoint();
                Mouse(WM_LBUTTONDOWN, c);
                Mouse(WM_LBUTTONUP, c);
                return;
            }
            if (host) host->InputRejected(e, "the message box has no such button");
            break;
        }
        case host::Event::kDisplayChanged:
            break;  // the driver's own notification did what a change needs
        case host::Event::kPictureLost:
            S().present_pending = true;  // into a new buffer, composed whole
            break;
    }
}

}  // namespace ui::detail
