// The framework's own bookkeeping (not for application code): the table of
// live windows, the message queue, capture, focus and the open message boxes.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/context.h"
#include "platform/gdi/damage.h"
#include "platform/gdi/objects.h"
#include "platform/host/host.h"
#include "platform/ui/wintypes.h"

class CWnd;

namespace ui {
struct MessageBoxRecord;
}

namespace ui::detail {

struct Window {
    HWND hwnd = nullptr;
    CWnd* wnd = nullptr;
    HWND parent = nullptr;       // child windows only
    HWND owner = nullptr;        // top-level windows only
    std::vector<HWND> children;  // creation order = bottom to top
    CRect rect;                  // parent's client coordinates; screen for top-level windows
    DWORD style = 0;
    DWORD ex_style = 0;
    UINT id = 0;
    std::string title;
    std::string class_name;
    HBRUSH background;
    int icon_id = 0;
    HBITMAP surface;  // the client area's pixels; null when its size was refused
    bool dirty = false;
    gdi::Rect update;          // client coordinates: what the next paint must redraw
    gdi::Rect paint_rect;      // what the paint being handled redraws
    bool erase = false;        // erase before the next paint
    bool paint_erase = false;  // erase pending in the paint being handled
    bool destroying = false;
};

// The framework's state for one run: the ui layer's part of the platform
// context. A fresh one starts a run with no windows and nothing queued.
struct State : platform::Part {
    static constexpr platform::PartId kId = platform::PartId::kUi;
    // Destroys the windows that are left, children first, while the rest of
    // the state still stands.
    void EndRun() override;

    std::map<HWND, std::unique_ptr<Window>> windows;
    std::vector<HWND> top_levels;  // bottom to top
    std::uintptr_t next_handle = 1;
    std::deque<MSG> queue;
    HWND capture = nullptr;
    HWND focus = nullptr;
    std::vector<HWND> modal;  // open message boxes, innermost last
    host::Host* host = nullptr;
    bool present_pending = false;
    // What changed on the screen since it was last presented, in screen
    // coordinates; the drawing into window surfaces is added at presentation.
    gdi::Damage screen_damage;
    // The screen buffer last composed into: another one, or a resized one,
    // is composed whole.
    const gdi::Surface* last_screen = nullptr;
    int last_screen_width = 0;
    int last_screen_height = 0;
    bool input_exhausted = false;
    int unanswered_boxes = 0;
    // Answers given while no box was open, each kept for the next box to open.
    std::deque<int> waiting_answers;
    bool left_down = false;  // the left mouse button, as the last input left it
    bool hooks_installed = false;
    std::function<void(const ui::MessageBoxRecord&)> message_box_observer;
};

State& S();
Window* Find(HWND hwnd);
bool IsDescendantOrSelf(HWND hwnd, HWND ancestor);
// Visible together with all its ancestors.
bool IsShown(HWND hwnd);
// Top-left of the client area in screen coordinates.
POINT ClientOrigin(HWND hwnd);

// Installs the display-change callback and the display caps once.
void EnsureHooks();

// Message pump.
enum class LoopEnd { kQuit, kExhausted, kDone, kIdle };
// Runs until done() is true, WM_QUIT arrives (reposted when nested), the host
// has no more input, or, with stop_when_idle, nothing is left to do.
LoopEnd RunLoop(const std::function<bool()>& done, bool nested, bool stop_when_idle, int* quit_code);
void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Marks the whole client area (area null) or a part of it for repainting.
void InvalidateClient(Window& w, const RECT* area, bool erase);
// The screen under a shown window changes: its whole rectangle is presented again.
void DamageWindowArea(HWND hwnd);
// As if the shown window hwnd had had the rectangle was_at (in its parent).
void DamageArea(HWND hwnd, const CRect& was_at);

// Paint cycle and presentation.
bool PaintDirtyWindows();
void PaintNow(HWND hwnd);
void Present();

// Host input to window messages.
void TranslateInput(const host::Event& event);

// Capture and focus; null clears them.
void SetCaptureTo(HWND hwnd);
void SetFocusTo(HWND hwnd);

// Window life.
HWND CreateWindowFor(CWnd* wnd, CREATESTRUCT& cs);
BOOL Destroy(HWND hwnd);
void SetSurfaceSize(Window& w, int width, int height);
void NotifyPlacement(const Window& w);

}  // namespace ui::detail
