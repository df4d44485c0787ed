// The message box window and its modal loop.
#include "platform/ui/message_box.h"

#include <algorithm>

#include "platform/screen/driver.h"
#include "platform/ui/message_box_layout.h"
#include "platform/ui/win_app.h"
#include "platform/ui/window_dc.h"
#include "platform/ui/window_state.h"
#include "platform/ui/wnd.h"

namespace ui {
namespace {

class CMessageBoxWnd : public CWnd {
public:
    CMessageBoxWnd(std::string text, std::string caption, UINT type)
        : text_(std::move(text)), caption_(std::move(caption)), type_(type) {
        LOGFONTA lf;
        lf.lfHeight = 16;
        lf.lfWeight = FW_NORMAL;
        std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", "Arial");
        font_.CreateFontIndirect(&lf);
        layout_ = detail::LayoutMessageBox(text_, type_, font_);
    }

    int DoModal(CWnd* owner);
    void Describe(MessageBoxInfo* info) const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int ButtonAt(CPoint p) const {
        for (const auto& b : layout_.buttons) {
            if (b.rect.PtInRect(p)) return b.id;
        }
        return 0;
    }
    CRect Centred() const {
        const screen::DisplayMode m = screen::CurrentMode();
        const int w = layout_.client.Width(), h = layout_.client.Height();
        const int x = (m.width - w) / 2, y = (m.height - h) / 2;
        return CRect(x, y, x + w, y + h);
    }

    std::string text_;
    std::string caption_;
    UINT type_;
    CFont font_;
    detail::BoxLayout layout_;
    int pressed_ = 0;
    int answer_ = 0;
};

LRESULT CMessageBoxWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            CPaintDC dc(this);
            detail::DrawMessageBox(dc, layout_, font_, caption_, pressed_);
            return 0;
        }
        case WM_LBUTTONDOWN:
            pressed_ = ButtonAt(CPoint(lParam));
            SetCapture();
            Invalidate(FALSE);
            return 0;
        case WM_LBUTTONUP: {
            const int hit = ButtonAt(CPoint(lParam));
            if (GetCapture() == this) ReleaseCapture();
            if (pressed_ && hit == pressed_) answer_ = pressed_;
            pressed_ = 0;
            Invalidate(FALSE);
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) answer_ = layout_.buttons.front().id;
            if (wParam == VK_ESCAPE) answer_ = layout_.buttons.back().id;
            return 0;
        case WM_DISPLAYCHANGE:
            MoveWindow(Centred(), TRUE);
            return 0;
        default:
            return CWnd::WindowProc(message, wParam, lParam);
    }
}

int CMessageBoxWnd::DoModal(CWnd* owner) {
    const CRect r = Centred();
    if (!CreateEx(0, "#32770", caption_.c_str(), WS_POPUP, r, owner, 0)) return 0;
    const HWND self = m_hWnd;
    auto& s = detail::S();
    const HWND saved_focus = s.focus;
    ReleaseCapture();
    s.modal.push_back(self);
    ShowWindow(SW_SHOW);
    SetFocus();

    const detail::LoopEnd end =
        detail::RunLoop([&] { return answer_ != 0 || !IsWindow(self); }, true, false, nullptr);
    if (end == detail::LoopEnd::kExhausted) ++s.unanswered_boxes;
    if (const auto& observer = s.message_box_observer)
        observer(MessageBoxRecord{caption_, text_, type_, answer_});

    s.modal.erase(std::remove(s.modal.begin(), s.modal.end(), self), s.modal.end());
    DestroyWindow();
    if (IsWindow(saved_focus)) detail::SetFocusTo(saved_focus);
    return answer_;
}

void CMessageBoxWnd::Describe(MessageBoxInfo* info) const {
    CRect r;
    GetWindowRect(&r);
    info->hwnd = m_hWnd;
    info->caption = caption_;
    info->text = text_;
    info->type = type_;
    info->rect = r;
    info->buttons.clear();
    for (const auto& b : layout_.buttons) {
        CRect br = b.rect;
        br.OffsetRect(r.left, r.top);
        info->buttons.push_back({b.id, br});
    }
}

}  // namespace

bool GetOpenMessageBox(MessageBoxInfo* info) {
    const auto& modal = detail::S().modal;
    if (modal.empty()) return false;
    auto* box = dynamic_cast<CMessageBoxWnd*>(CWnd::FromHandle(modal.back()));
    if (!box) return false;
    if (info) box->Describe(info);
    return true;
}

void SetMessageBoxObserver(std::function<void(const MessageBoxRecord&)> observer) {
    detail::S().message_box_observer = std::move(observer);
}

int ShowMessageBox(CWnd* owner, LPCTSTR text, LPCTSTR caption, UINT type) {
    CMessageBoxWnd box(text ? text : "", caption ? caption : AfxGetAppName(), type);
    return box.DoModal(owner);
}

}  // namespace ui

int CWnd::MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType) {
    return ui::ShowMessageBox(this, lpszText, lpszCaption, nType);
}

int AfxMessageBox(LPCTSTR lpszText, UINT nType) {
    return ui::ShowMessageBox(AfxGetMainWnd(), lpszText, nullptr, nType);
}
