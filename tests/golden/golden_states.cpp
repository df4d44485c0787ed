#include "tests/golden/golden_states.h"

#include <stdexcept>

#include "tools/snapshot/session.h"

namespace golden {
namespace {

std::unique_ptr<snapshot::Session> Run(const State& state) {
    std::string error;
    auto steps = snapshot::ParseSteps(state.steps, &error);
    if (!steps) throw std::runtime_error("bad golden script \"" + state.steps + "\": " + error);
    snapshot::Options options;
    options.mode = {state.width, state.height, 60, 32};
    options.steps = *steps;
    if (state.refuse_changes) options.accept = std::vector<screen::DisplayMode>{};
    auto session = std::make_unique<snapshot::Session>(options);
    session->Run("corvane-adjust");
    return session;
}

// Where the chart's 17-inch row is at this size, as "X,Y" for a click step.
std::string SeventeenInchRow(int width, int height) {
    const auto session = Run(State{width, height, "", "click adjust"});
    for (const gdi::TraceObject* text : session->trace().WithOp("text")) {
        if (text->Str("text") != "17\"") continue;
        const auto x = text->Int("x").value_or(0) + text->Int("cx").value_or(0) / 2;
        const auto y = text->Int("y").value_or(0) + text->Int("cy").value_or(0) / 2;
        return std::to_string(x) + "," + std::to_string(y);
    }
    throw std::runtime_error("no 17\" row on the chart at " + std::to_string(width) + "x" +
                             std::to_string(height));
}

}  // namespace

std::string State::FileName() const {
    return std::to_string(width) + "x" + std::to_string(height) + "/" + name + ".png";
}

std::vector<State> States() {
    std::vector<State> states;
    for (auto [w, h] : {std::pair{640, 480}, {1024, 768}, {1920, 1080}}) {
        const std::string row = "click adjust; click " + SeventeenInchRow(w, h);
        const std::string pitch = row + "; click next; answer yes";
        states.push_back({w, h, "1-welcome", ""});
        states.push_back({w, h, "2-resolution-chart", "click adjust"});
        states.push_back({w, h, "3-row-chosen", row});
        states.push_back({w, h, "4-confirmation", row + "; click next"});
        states.push_back({w, h, "5-pitch", pitch});
        states.push_back({w, h, "6-phase", pitch + "; click next"});
        states.push_back({w, h, "7-centering", pitch + "; click next; click next"});
        states.push_back({w, h, "8-completion", pitch + "; click next; click next; click next"});
    }
    states.push_back({1024, 768, "9-change-refused",
                      "click adjust; click " + SeventeenInchRow(1024, 768) + "; click change", true});
    return states;
}

Picture Render(const State& state) {
    const auto session = Run(state);
    const gdi::Surface* screen = session->screen();
    return screen ? FromSurface(*screen) : Picture{};
}

}  // namespace golden
