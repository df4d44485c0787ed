// The one message queue and the loop that empties it, paints, presents and
// then waits for the host's next event.
#include "platform/ui/window_state.h"
#include "platform/ui/wnd.h"
#include "platform/ui/wnd_access.h"

namespace ui::detail {
namespace {

bool IsInputMessage(UINT m) {
    return m == WM_LBUTTONDOWN || m == WM_LBUTTONUP || m == WM_MOUSEMOVE || m == WM_KEYDOWN || m == WM_KEYUP;
}

void Dispatch(const MSG& msg) {
    if (!Find(msg.hwnd)) return;  // posted to a window that is gone since
    // While a message box is open, input for any other window is dropped.
    if (IsInputMessage(msg.message) && !S().modal.empty() &&
        !IsDescendantOrSelf(msg.hwnd, S().modal.back())) {
        return;
    }
    Send(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

}  // namespace

void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    S().queue.push_back(MSG{hwnd, message, wParam, lParam});
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = Find(hwnd);
    if (!w || !w->wnd) return 0;
    return Access::WindowProc(w->wnd, message, wParam, lParam);
}

LoopEnd RunLoop(const std::function<bool()>& done, bool nested, bool stop_when_idle, int* quit_code) {
    State& s = S();
    for (;;) {
        if (done && done()) return LoopEnd::kDone;
        if (!s.queue.empty()) {
            const MSG msg = s.queue.front();
            s.queue.pop_front();
            if (msg.message == WM_QUIT) {
                if (nested) s.queue.push_front(msg);  // the outer loop must see it too
                if (quit_code) *quit_code = static_cast<int>(msg.wParam);
                return LoopEnd::kQuit;
            }
            Dispatch(msg);
            continue;
        }
        PaintDirtyWindows();
        if (s.present_pending) {
            Present();
            continue;  // painting may have posted messages
        }
        if (stop_when_idle) return LoopEnd::kIdle;
        host::Event event;
        if (!s.modal.empty() && !s.waiting_answers.empty()) {
            // An answer given before its box opened counts as the box's first input.
            event.type = host::Event::kAnswer;
            event.answer = s.waiting_answers.front();
            s.waiting_answers.pop_front();
        } else if (!s.host || !s.host->WaitEvent(event)) {
            s.input_exhausted = true;
            return LoopEnd::kExhausted;
        }
        TranslateInput(event);
    }
}

void SetCaptureTo(HWND hwnd) {
    State& s = S();
    const HWND old = s.capture;
    if (old == hwnd) return;
    s.capture = Find(hwnd) ? hwnd : nullptr;
    if (old) Send(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(s.capture));
}

void SetFocusTo(HWND hwnd) {
    State& s = S();
    const HWND old = s.focus;
    const HWND now = Find(hwnd) ? hwnd : nullptr;
    if (old == now) return;
    s.focus = now;
    if (old) Send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(now), 0);
    if (now && s.focus == now) Send(now, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
}

}  // namespace ui::detail
