#include "tools/snapshot/session.h"

#include <cstdio>

#include "app/button_ids.h"
#include "app/main_frame.h"
#include "platform/context.h"
#include "platform/screen/devmode.h"
#include "platform/ui/framework.h"
#include "platform/ui/message_box.h"
#include "res/app_resources.h"

namespace snapshot {
namespace {

const char* AnswerName(int answer) {
    switch (answer) {
        case IDYES:
            return "yes";
        case IDNO:
            return "no";
        case IDOK:
            return "ok";
        default:
            return nullptr;
    }
}

}  // namespace

ImageButton* ButtonByName(CMainFrame& frame, const std::string& name) {
    ImageButton* buttons[6] = {&frame.AdjustButton, &frame.BackButton,   &frame.NextButton,
                               &frame.QuitButton,   &frame.FinishButton, &frame.ChangeResolutionButton};
    for (int i = 0; i < 6; ++i) {
        if (name == kButtonNames[i]) return buttons[i];
    }
    return nullptr;
}

Session::Session(Options options) : options_(std::move(options)), driver_(options_.mode) {
    platform::TheContext().NewRun();  // one run at a time: nothing of an earlier one stays
    if (options_.accept) driver_.SetAccepted(*options_.accept);
    driver_.SetRejectCodes(options_.reject);
    driver_.SetApplyFailure(options_.fail_apply);
    screen::SetDriver(options_.driver ? options_.driver : &driver_);
    RegisterAppResources();
    CMainFrame::SetTrace(&trace_);
    screen::SetSettingsObserver([this](const screen::SettingsCall& call) {
        gdi::TraceObject r;
        char fields[16];
        std::snprintf(fields, sizeof fields, "0x%x", static_cast<unsigned>(call.fields));
        r.Add("op", "display").Add("call", call.test ? "test" : "set");
        r.Add("width", call.mode.width).Add("height", call.mode.height).Add("refresh", call.mode.refresh);
        r.Add("bpp", call.mode.bpp)
            .Add("fields", std::string(fields))
            .Add("result", static_cast<int>(call.result));
        trace_.Record(r);
    });
    ui::SetMessageBoxObserver([this](const ui::MessageBoxRecord& box) {
        gdi::TraceObject r;
        r.Add("op", "messagebox").Add("caption", box.caption).Add("text", box.text);
        r.Add("flags", static_cast<int>(box.type));
        const char* answer = AnswerName(box.answer);
        r.Add("answer", answer ? gdi::TraceValue(answer) : gdi::TraceValue(nullptr));
        // Where its buttons were, so a script can click them on a real screen.
        ui::MessageBoxInfo info;
        if (ui::GetOpenMessageBox(&info)) {
            for (const auto& b : info.buttons) {
                const char* name = AnswerName(b.id);
                if (name)
                    r.Add(name,
                          std::vector<std::int64_t>{b.rect.left, b.rect.top, b.rect.right, b.rect.bottom});
            }
        }
        trace_.Record(r);
        // The screen still shows the box: keep it for the PNG of a run that
        // ends waiting for an answer.
        if (!answer && host_.screen() && !unanswered_box_screen_) {
            unanswered_box_screen_ = std::make_shared<gdi::Surface>(*host_.screen());
        }
    });
    for (const Step& step : options_.steps) Script(step);
}

Session::~Session() {
    platform::TheContext().NewRun();
}

void Session::Script(const Step& step) {
    switch (step.kind) {
        case Step::kClickButton:
            // Resolved when reached: the button may have moved since the start.
            host_.PushAction([this, name = step.name] {
                CMainFrame* f = frame();
                ImageButton* button = f ? ButtonByName(*f, name) : nullptr;
                if (!button || !button->GetSafeHwnd()) return;
                CRect r;
                button->GetWindowRect(&r);
                const int x = r.left + (r.right - r.left) / 2, y = r.top + (r.bottom - r.top) / 2;
                host_.PushNext({{host::Event::kMouseDown, x, y}, {host::Event::kMouseUp, x, y}});
            });
            break;
        case Step::kClickAt:
            host_.PushClick(step.x, step.y);
            break;
        case Step::kPress:
            host_.PushPress(step.x, step.y);
            break;
        case Step::kRelease:
            host_.PushRelease(step.x, step.y);
            break;
        case Step::kAnswer:
            host_.PushAnswer(step.name == "yes" ? IDYES : step.name == "no" ? IDNO : IDOK);
            break;
        case Step::kMode:
            host_.PushDisplayChange(driver_, step.mode);
            break;
    }
}

std::unique_ptr<Session> StartAt(int width, int height) {
    Options options;
    options.mode = {width, height, 60, 32};
    auto session = std::make_unique<Session>(options);
    session->Run();
    return session;
}

CMainFrame* Session::frame() const {
    return dynamic_cast<CMainFrame*>(AfxGetMainWnd());
}

int Session::Run(const char* argv0) {
    char* argv[] = {const_cast<char*>(argv0), nullptr};
    const int exit_code = AfxWinMain(host_, 1, argv);
    if (ui::UnansweredMessageBoxes() > 0) return kUnansweredBox;
    // Quitting as the last step is a normal end; quitting with steps left is not.
    if (exit_code != 0 || (!frame() && host_.pending() > 0)) return kEndedEarly;
    return kDone;
}

void Session::RecordFinalState() {
    CMainFrame* f = frame();
    if (!f) return;
    static constexpr UINT kIds[6] = {IDC_FORWARD, IDC_BACK,  IDC_FORWARD,
                                     IDC_CLOSE,   IDC_CLOSE, IDC_CHANGE_RESOLUTION};
    for (int i = 0; i < 6; ++i) {
        ImageButton* button = ButtonByName(*f, kButtonNames[i]);
        CRect r;
        const bool exists = button->GetSafeHwnd() != nullptr;
        if (exists) button->GetWindowRect(&r);
        gdi::TraceObject rec;
        rec.Add("op", "button").Add("name", kButtonNames[i]).Add("id", static_cast<int>(kIds[i]));
        rec.Add("rect", std::vector<std::int64_t>{r.left, r.top, r.right, r.bottom});
        rec.Add("visible", exists && button->IsWindowVisible() != FALSE);
        rec.Add("enabled", exists && button->IsWindowEnabled() != FALSE);
        trace_.Record(rec);
    }
    gdi::TraceObject state;
    state.Add("op", "state").Add("page", WizardPageName(f->CurrentPage)).Add("panelSize", f->PanelSize);
    state.Add("modeMatches", f->ModeMatchesRecommendation).Add("width", f->ScreenMetrics.W);
    state.Add("height", f->ScreenMetrics.H).Add("refresh", f->ScreenMetrics.RefreshRate);
    trace_.Record(state);
}

}  // namespace snapshot
