// The states the golden pictures hold: every page and box the tour shows, at
// three screen sizes, and the box of a refused mode change.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tests/golden/picture.h"

namespace golden {

struct State {
    int width = 0;
    int height = 0;
    std::string name;   // e.g. "3-row-chosen"
    std::string steps;  // the snapshot tool's --do script that reaches it
    bool refuse_changes = false;

    // The picture's file name, relative to the golden folder.
    std::string FileName() const;
};

std::vector<State> States();

// How a failing test names its state.
inline void PrintTo(const State& state, std::ostream* out) {
    *out << state.FileName() << " (" << (state.steps.empty() ? "no steps" : state.steps) << ")";
}

// The screen the program shows in that state; empty when it shows nothing.
Picture Render(const State& state);

}  // namespace golden
