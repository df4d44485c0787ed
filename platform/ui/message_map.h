// Message maps: a static table per class from (message, command id) to a
// member handler, searched from the most derived class up to CCmdTarget.
#pragma once

#include "platform/ui/runtime_class.h"
#include "platform/ui/wintypes.h"

class CCmdTarget;
class CWnd;

// A handler as stored in a map: a function that decodes the message's
// parameters and calls the member.
using AFX_PMSG = LRESULT (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

// What a handler takes and returns.
enum AfxSig {
    AfxSig_end = 0,
    AfxSig_vv,      // void ()
    AfxSig_vwp,     // void (UINT flags, CPoint point)
    AfxSig_bD,      // BOOL (CDC*)
    AfxSig_is,      // int (LPCREATESTRUCT)
    AfxSig_vwww,    // void (UINT, UINT, UINT)
    AfxSig_vW,      // void (CWnd*)
    AfxSig_vb,      // void (BOOL)
    AfxSig_vOWNER,  // void (int, LPDRAWITEMSTRUCT)
    AfxSig_lwl,     // LRESULT (WPARAM, LPARAM)
    AfxSig_cmd,     // void (), a WM_COMMAND with a given id and code
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    UINT nLastID;
    int nSig;
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

namespace afx {

template <class T>
struct MemberOf;
template <class C, class R, class... A>
struct MemberOf<R (C::*)(A...)> {
    using type = C;
};
template <auto Fn>
using ClassOf = typename MemberOf<decltype(Fn)>::type;

// One decoder per signature; the target is the window the map belongs to.
template <auto Fn>
LRESULT vv(CCmdTarget* t, WPARAM, LPARAM) {
    (static_cast<ClassOf<Fn>*>(t)->*Fn)();
    return 0;
}
template <auto Fn>
LRESULT vwp(CCmdTarget* t, WPARAM w, LPARAM l) {
    (static_cast<ClassOf<Fn>*>(t)->*Fn)(static_cast<UINT>(w), CPoint(l));
    return 0;
}
template <auto Fn>
LRESULT bD(CCmdTarget* t, WPARAM w, LPARAM) {
    return (static_cast<ClassOf<Fn>*>(t)->*Fn)(reinterpret_cast<CDC*>(w));
}
template <auto Fn>
LRESULT is(CCmdTarget* t, WPARAM, LPARAM l) {
    return (static_cast<ClassOf<Fn>*>(t)->*Fn)(reinterpret_cast<LPCREATESTRUCT>(l));
}
template <auto Fn>
LRESULT vwww(CCmdTarget* t, WPARAM w, LPARAM l) {
    (static_cast<ClassOf<Fn>*>(t)->*Fn)(static_cast<UINT>(w), static_cast<UINT>(l & 0xFFFF),
                                        static_cast<UINT>((l >> 16) & 0xFFFF));
    return 0;
}
template <auto Fn>
LRESULT vW(CCmdTarget* t, WPARAM w, LPARAM) {
    (static_cast<ClassOf<Fn>*>(t)->*Fn)(ClassOf<Fn>::FromHandle(reinterpret_cast<HWND>(w)));
    return 0;
}
template <auto Fn>
LRESULT vb(CCmdTarget* t, WPARAM w, LPARAM) {
    (static_cast<ClassOf<Fn>*>(t)->*Fn)(static_cast<BOOL>(w));
    return 0;
}
template <auto Fn>
LRESULT vOWNER(CCmdTarget* t, WPARAM w, LPARAM l) {
    (static_cast<ClassOf<Fn>*>(t)->*Fn)(static_cast<int>(w), reinterpret_cast<LPDRAWITEMSTRUCT>(l));
    return TRUE;
}
template <auto Fn>
LRESULT lwl(CCmdTarget* t, WPARAM w, LPARAM l) {
    return (static_cast<ClassOf<Fn>*>(t)->*Fn)(w, l);
}

}  // namespace afx

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)

public:
    // Finds a WM_COMMAND handler for (id, code) and calls it.
    virtual BOOL OnCmdMsg(UINT nID, int nCode);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const { return GetThisMessageMap(); }
    // First entry for the message (and id/code for commands), searching up.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT code, UINT id) const;
};

#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)          \
    const AFX_MSGMAP* theClass::GetMessageMap() const { \
        return GetThisMessageMap();                     \
    }                                                   \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {   \
        using ThisClass [[maybe_unused]] = theClass;    \
        using TheBaseClass = baseClass;                 \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                         \
    { 0, 0, 0, 0, AfxSig_end, nullptr }                                                           \
    }                                                                                             \
    ;                                                                                             \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                           \
    }

#define AFX_MSG_ENTRY(msg, sig, fn) {msg, 0, 0, 0, AfxSig_##sig, &afx::sig<fn>},

#define ON_WM_CREATE() AFX_MSG_ENTRY(WM_CREATE, is, &ThisClass::OnCreate)
#define ON_WM_DESTROY() AFX_MSG_ENTRY(WM_DESTROY, vv, &ThisClass::OnDestroy)
#define ON_WM_CLOSE() AFX_MSG_ENTRY(WM_CLOSE, vv, &ThisClass::OnClose)
#define ON_WM_PAINT() AFX_MSG_ENTRY(WM_PAINT, vv, &ThisClass::OnPaint)
#define ON_WM_ERASEBKGND() AFX_MSG_ENTRY(WM_ERASEBKGND, bD, &ThisClass::OnEraseBkgnd)
#define ON_WM_LBUTTONDOWN() AFX_MSG_ENTRY(WM_LBUTTONDOWN, vwp, &ThisClass::OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_MSG_ENTRY(WM_LBUTTONUP, vwp, &ThisClass::OnLButtonUp)
#define ON_WM_MOUSEMOVE() AFX_MSG_ENTRY(WM_MOUSEMOVE, vwp, &ThisClass::OnMouseMove)
#define ON_WM_KEYDOWN() AFX_MSG_ENTRY(WM_KEYDOWN, vwww, &ThisClass::OnKeyDown)
#define ON_WM_KEYUP() AFX_MSG_ENTRY(WM_KEYUP, vwww, &ThisClass::OnKeyUp)
#define ON_WM_SETFOCUS() AFX_MSG_ENTRY(WM_SETFOCUS, vW, &ThisClass::OnSetFocus)
#define ON_WM_KILLFOCUS() AFX_MSG_ENTRY(WM_KILLFOCUS, vW, &ThisClass::OnKillFocus)
#define ON_WM_ENABLE() AFX_MSG_ENTRY(WM_ENABLE, vb, &ThisClass::OnEnable)
#define ON_WM_DRAWITEM() AFX_MSG_ENTRY(WM_DRAWITEM, vOWNER, &ThisClass::OnDrawItem)
#define ON_MESSAGE(message, memberFxn) AFX_MSG_ENTRY(message, lwl, &ThisClass::memberFxn)
#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND,                  \
     0,                           \
     static_cast<UINT>(id),       \
     static_cast<UINT>(id),       \
     AfxSig_cmd,                  \
     &afx::vv<&ThisClass::memberFxn>},
