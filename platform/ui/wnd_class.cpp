#include "platform/ui/wnd_class.h"

#include <map>

#include "platform/context.h"

namespace {

// Handed out by address (class names, cursors, brushes): entries are never erased.
struct WindowClassesPart : platform::Part {
    static constexpr platform::PartId kId = platform::PartId::kWindowClasses;
    std::map<std::string, WndClassInfo> classes;
    std::map<int, HCURSOR__> cursors;
    std::map<int, CBrush> brushes;
};

WindowClassesPart& ClassesPart() {
    return platform::TheContext().Get<WindowClassesPart>();
}

// The system's classes are there from the start.
std::map<std::string, WndClassInfo>& Classes() {
    std::map<std::string, WndClassInfo>& c = ClassesPart().classes;
    if (c.empty()) {
        c["BUTTON"] = {"BUTTON", 0, nullptr, nullptr, nullptr};
        c["AfxWnd"] = {"AfxWnd", 0, nullptr, nullptr, nullptr};
        c["AfxFrameOrView"] = {"AfxFrameOrView", 0, nullptr, GetSysColorBrush(COLOR_WINDOW), nullptr};
        c["#32770"] = {"#32770", 0, nullptr, GetSysColorBrush(COLOR_BTNFACE), nullptr};
    }
    return c;
}

std::string Key(const void* p) {
    return std::to_string(reinterpret_cast<std::uintptr_t>(p));
}

}  // namespace

LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
    const std::string name = "Afx:" + std::to_string(nClassStyle) + ":" + Key(hCursor) + ":" +
                             Key(hbrBackground.get()) + ":" + Key(hIcon);
    auto [it, added] = Classes().try_emplace(name);
    if (added) it->second = {name, nClassStyle, hCursor, std::move(hbrBackground), hIcon};
    return it->first.c_str();
}

LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, int nSysColorPlusOne, HICON hIcon) {
    return AfxRegisterWndClass(nClassStyle, hCursor, GetSysColorBrush(nSysColorPlusOne - 1), hIcon);
}

const WndClassInfo* FindWndClass(LPCTSTR name) {
    if (!name) return nullptr;
    auto it = Classes().find(name);
    return it == Classes().end() ? nullptr : &it->second;
}

HCURSOR LoadCursor(HINSTANCE hInstance, int nCursorId) {
    if (hInstance || nCursorId < 32512 || nCursorId > 32651) return nullptr;
    return &ClassesPart().cursors.try_emplace(nCursorId, HCURSOR__{nCursorId}).first->second;
}

COLORREF GetSysColor(int nIndex) {
    switch (nIndex) {
        case COLOR_WINDOW:
            return RGB(255, 255, 255);
        case COLOR_BTNFACE:
            return RGB(240, 240, 240);
        default:
            return RGB(0, 0, 0);
    }
}

HBRUSH GetSysColorBrush(int nIndex) {
    if (nIndex != COLOR_WINDOW && nIndex != COLOR_WINDOWTEXT && nIndex != COLOR_BTNFACE) return nullptr;
    auto [it, added] = ClassesPart().brushes.try_emplace(nIndex);
    if (added) it->second.CreateSolidBrush(GetSysColor(nIndex));
    return it->second.GetSafeHandle();
}
