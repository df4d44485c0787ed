// Redraws every golden picture into a folder: golden_redraw DIR.
// Only for a change to the pictures that is meant (`make golden`).
#include <filesystem>
#include <iostream>

#include "tests/golden/golden_states.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: golden_redraw DIR\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    for (const golden::State& state : golden::States()) {
        const golden::Picture picture = golden::Render(state);
        const std::filesystem::path file = dir / state.FileName();
        std::filesystem::create_directories(file.parent_path());
        std::string error;
        if (picture.pixels.empty() || !golden::WritePng(file.string(), picture, &error)) {
            std::cerr << "golden_redraw: " << state.FileName() << ": "
                      << (error.empty() ? "nothing shown" : error) << "\n";
            return 1;
        }
        std::cout << file.string() << "\n";
    }
    return 0;
}
