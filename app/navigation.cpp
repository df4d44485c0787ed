#include "app/button_ids.h"
#include "app/main_frame.h"
#include "draw/layout.h"

namespace {

struct ButtonPlace {
    int left, width, height;
};

constexpr const char* kConfirmText =
    "We strongly suggest that you continue adjustment using the recommended resolution. \n"
    "Are you sure you would like to continue using the current settings?";

}  // namespace

void CMainFrame::CreateButtons() {
    const int W = ScreenMetrics.W, H = ScreenMetrics.H;
    const int top = H - H / 10;
    const int finishWidth = Trunc(W * 0.14296875);
    const int rightLeft = W - W / 10 - Trunc(W * 0.14296875);
    struct ButtonSetup {
        ImageButton* button;
        UINT id;
        ButtonPlace place;
        UINT up, down, disabled;
    };
    const ButtonSetup buttons[6] = {
        {&AdjustButton,
         IDC_FORWARD,
         {Trunc(W / 2 - W * 0.08828125), Trunc(W * 0.1742), Trunc(H * 0.0625)},
         156,
         157,
         0},
        {&BackButton, IDC_BACK, {W / 10, Trunc(W * 0.1414), Trunc(H * 0.06152)}, 150, 151, 0},
        {&NextButton, IDC_FORWARD, {rightLeft, Trunc(W * 0.1414), Trunc(H * 0.06152)}, 152, 153, 171},
        {&QuitButton, IDC_CLOSE, {rightLeft, Trunc(W * 0.14296875), Trunc(H * 0.064453125)}, 154, 155, 0},
        {&FinishButton,
         IDC_CLOSE,
         {W / 2 - finishWidth / 2, finishWidth, Trunc(H * 0.064453125)},
         158,
         159,
         0},
        {&ChangeResolutionButton,
         IDC_CHANGE_RESOLUTION,
         {Trunc(W / 2 - W * 0.16875), Trunc(W * 0.3375), Trunc(H * 0.064453125)},
         163,
         167,
         0},
    };
    for (const ButtonSetup& s : buttons) {
        const CRect rect(s.place.left, top, s.place.left + s.place.width, top + s.place.height);
        s.button->Create(nullptr, WS_CHILD | BS_OWNERDRAW, rect, this, s.id);
        s.button->LoadBitmaps(s.up, s.down, 0, s.disabled);
    }
    UpdatePageButtons();
}

void CMainFrame::DestroyButtons() {
    BackButton.DestroyWindow();
    NextButton.DestroyWindow();
    QuitButton.DestroyWindow();
    AdjustButton.DestroyWindow();
    FinishButton.DestroyWindow();
    ChangeResolutionButton.DestroyWindow();
}

void CMainFrame::UpdatePageButtons() {
    auto show = [](ImageButton& b, bool visible) { b.ShowWindow(visible ? SW_SHOWNORMAL : SW_HIDE); };
    switch (CurrentPage) {
        case WizardPage::Welcome:
            show(AdjustButton, true);
            show(BackButton, false);
            show(NextButton, false);
            show(QuitButton, true);
            show(FinishButton, false);
            show(ChangeResolutionButton, false);
            break;
        case WizardPage::Resolution:
            show(AdjustButton, false);
            show(BackButton, true);
            show(NextButton, true);
            NextButton.EnableWindow(PanelSize != -1);
            show(QuitButton, false);
            show(FinishButton, false);
            break;
        case WizardPage::Pitch:
        case WizardPage::Phase:
        case WizardPage::Centering:
            show(AdjustButton, false);
            show(BackButton, true);
            show(NextButton, true);
            show(QuitButton, false);
            show(FinishButton, false);
            show(ChangeResolutionButton, false);
            break;
        case WizardPage::Completion:
            show(AdjustButton, false);
            show(BackButton, true);
            show(NextButton, false);
            show(QuitButton, false);
            show(FinishButton, true);
            show(ChangeResolutionButton, false);
            break;
    }
}

void CMainFrame::OnNext() {
    if (CurrentPage == WizardPage::Resolution && !ModeMatchesRecommendation) {
        const int answer = MessageBox(kConfirmText, AfxGetApp()->m_pszAppName, MB_YESNO | MB_ICONEXCLAMATION);
        if (answer == IDYES) CurrentPage = WizardPage::Pitch;
    } else if (CurrentPage != WizardPage::Completion) {
        CurrentPage = static_cast<WizardPage>(static_cast<int>(CurrentPage) + 1);
    }
    RenderCurrentPage();
}

void CMainFrame::OnBack() {
    if (CurrentPage != WizardPage::Welcome) {
        CurrentPage = static_cast<WizardPage>(static_cast<int>(CurrentPage) - 1);
    }
    RenderCurrentPage();
}

void CMainFrame::OnQuit() {
    SendMessage(WM_CLOSE);
}
