#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <windowsx.h>

#include "platform/win32_text.h"

#include "platform/host/win32/desktop_window.h"

#include <deque>

namespace host::win32 {

namespace {

constexpr wchar_t kClassName[] = L"CorvaneAdjustFrame";
// The application icon in the executable's resources.
constexpr int kIconResource = 1;

using platform::Wide;

// Keys the framework acts on; others are not passed on.
int FrameworkKey(WPARAM vk) {
    switch (vk) {
        case VK_RETURN:
        case VK_ESCAPE:
        case VK_SPACE:
        case VK_TAB:
            return static_cast<int>(vk);
        default:
            return 0;
    }
}

}  // namespace

struct DesktopWindow::State {
    HWND window = nullptr;
    HDC memory_dc = nullptr;
    HBITMAP section = nullptr;
    HGDIOBJ previous_bitmap = nullptr;
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::deque<WindowInput> inputs;
    bool quit = false;

    void Push(WindowInput::Kind kind, int x = 0, int y = 0, int key = 0) {
        WindowInput input;
        input.kind = kind;
        input.x = x;
        input.y = y;
        input.key = key;
        inputs.push_back(input);
    }

    void FreeSection() {
        if (memory_dc && previous_bitmap) SelectObject(memory_dc, previous_bitmap);
        if (section) DeleteObject(section);
        section = nullptr;
        previous_bitmap = nullptr;
        pixels = nullptr;
        width = height = 0;
    }

    void Blit(HDC target, int left, int top, int right, int bottom) const {
        if (!section) return;
        left = std::max(left, 0);
        top = std::max(top, 0);
        right = std::min(right, width);
        bottom = std::min(bottom, height);
        if (left >= right || top >= bottom) return;
        BitBlt(target, left, top, right - left, bottom - top, memory_dc, left, top, SRCCOPY);
    }

    LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam) {
        switch (message) {
            case WM_LBUTTONDOWN:
                SetCapture(window);  // the release reaches us wherever it happens
                Push(WindowInput::kMouseDown, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
                return 0;
            case WM_LBUTTONUP:
                if (GetCapture() == window) ReleaseCapture();
                Push(WindowInput::kMouseUp, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
                return 0;
            case WM_MOUSEMOVE:
                Push(WindowInput::kMouseMove, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
                return 0;
            case WM_KEYDOWN:
                // Bit 30: the key was down already (auto-repeat): a held key is one press.
                if (const int key = FrameworkKey(wparam); key != 0 && (lparam & (1 << 30)) == 0)
                    Push(WindowInput::kKey, 0, 0, key);
                return 0;
            case WM_CLOSE:
                Push(WindowInput::kQuit);  // the framework decides whether to close
                return 0;
            case WM_DISPLAYCHANGE:
                Push(WindowInput::kDisplayChanged);
                return 0;
            case WM_DPICHANGED:
                // The window stays where the framework puts it, in device
                // pixels: the suggested rectangle is not taken.
                Push(WindowInput::kScaleChanged);
                return 0;
            case WM_ERASEBKGND:
                return 1;  // the picture covers the window
            case WM_PAINT: {
                PAINTSTRUCT paint;
                HDC dc = BeginPaint(window, &paint);
                Blit(dc, paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom);
                EndPaint(window, &paint);
                return 0;
            }
            default:
                return DefWindowProcW(window, message, wparam, lparam);
        }
    }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!state || !state->window) return DefWindowProcW(window, message, wparam, lparam);
        return state->Handle(message, wparam, lparam);
    }
};

bool BecomePerMonitorDpiAware() {
    // Windows 10 1703 on: per-monitor V2. ERROR_ACCESS_DENIED: set already
    // (by the manifest).
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    using SetContext = BOOL(WINAPI*)(HANDLE);
    if (auto set_context = user32 ? reinterpret_cast<SetContext>(reinterpret_cast<void*>(
                                        GetProcAddress(user32, "SetProcessDpiAwarenessContext")))
                                  : nullptr) {
        const auto per_monitor_v2 = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4));
        if (set_context(per_monitor_v2) || GetLastError() == ERROR_ACCESS_DENIED) return true;
    }
    // Windows 8.1 on: per-monitor (2). E_ACCESSDENIED: set already.
    if (HMODULE shcore = LoadLibraryW(L"shcore.dll")) {
        using SetAwareness = HRESULT(WINAPI*)(int);
        auto set_awareness = reinterpret_cast<SetAwareness>(
            reinterpret_cast<void*>(GetProcAddress(shcore, "SetProcessDpiAwareness")));
        const HRESULT result = set_awareness ? set_awareness(2) : E_NOTIMPL;
        if (result == S_OK || result == E_ACCESSDENIED) return true;
    }
    // Vista on: system aware, so at least the primary monitor is unscaled.
    return SetProcessDPIAware() != FALSE;
}

DesktopWindow::DesktopWindow() : state_(std::make_unique<State>()) {}

DesktopWindow::~DesktopWindow() {
    State& s = *state_;
    s.FreeSection();
    if (s.memory_dc) DeleteDC(s.memory_dc);
    if (s.window) DestroyWindow(s.window);
}

bool DesktopWindow::Open(const std::string& title, std::string* error) {
    State& s = *state_;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = State::Procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconResource));
    window_class.lpszClassName = kClassName;
    if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        if (error) *error = "cannot register the window class (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    s.memory_dc = CreateCompatibleDC(nullptr);
    const std::wstring name = Wide(title);
    HWND window =
        CreateWindowExW(0, kClassName, name.c_str(), WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, &s);
    if (!window || !s.memory_dc) {
        if (error) *error = "cannot create a window (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    s.window = window;
    return true;
}

std::uint32_t* DesktopWindow::Pixels(int width, int height) {
    State& s = *state_;
    if (s.section && s.width == width && s.height == height) return s.pixels;
    s.FreeSection();
    if (width <= 0 || height <= 0 || !s.memory_dc) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;  // rows of whole words: no padding
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    s.section = CreateDIBSection(s.memory_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!s.section || !bits) {
        s.FreeSection();
        return nullptr;
    }
    s.previous_bitmap = SelectObject(s.memory_dc, s.section);
    s.pixels = static_cast<std::uint32_t*>(bits);
    s.width = width;
    s.height = height;
    return s.pixels;
}

void DesktopWindow::Show(int left, int top, int right, int bottom) {
    State& s = *state_;
    if (!s.window) return;
    GdiFlush();  // the section's pixels were written directly
    HDC dc = GetDC(s.window);
    s.Blit(dc, left, top, right, bottom);
    ReleaseDC(s.window, dc);
}

void DesktopWindow::Place(int x, int y, int width, int height, bool visible, const std::string& title) {
    State& s = *state_;
    if (!s.window) return;
    SetWindowTextW(s.window, Wide(title).c_str());
    if (!visible) {
        ShowWindow(s.window, SW_HIDE);
        return;
    }
    SetWindowPos(s.window, HWND_TOP, x, y, std::max(width, 1), std::max(height, 1), SWP_SHOWWINDOW);
    SetForegroundWindow(s.window);
}

bool DesktopWindow::Wait(WindowInput* input) {
    State& s = *state_;
    for (;;) {
        if (!s.inputs.empty()) {
            *input = s.inputs.front();
            s.inputs.pop_front();
            return true;
        }
        if (s.quit) return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                s.quit = true;
                break;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (!s.inputs.empty() || s.quit) continue;
        // Sleeps until a message arrives; MWMO_INPUTAVAILABLE also wakes for
        // input that arrived before this call and was left unread.
        MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace host::win32
