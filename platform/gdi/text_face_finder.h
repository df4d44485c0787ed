// Where a font request's face file comes from: the system's own font
// matching (fontconfig on Linux, GDI on Windows). The drawing layer opens
// what it names with FreeType.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace gdi::text {

struct FaceRequest {
    std::string name;  // UTF-8; empty asks for the default face of the family below
    bool bold = false;
    bool italic = false;
    std::uint8_t pitch_and_family = 0;  // LOGFONT's lfPitchAndFamily
};

struct FoundFace {
    // The file on disk; or, with `bytes`, what the key below names.
    std::string path;
    // A collection's face number; -1: the face whose family and style are
    // those below.
    int index = 0;
    // The face's file in memory, when the system hands out bytes, not paths.
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;
    std::string family;  // as the system names the face; empty: as the file does
    std::string style;
};

// Loads the system's font configuration; false when it has none. Called once,
// before any FindFace, possibly on another thread.
bool SetUpFaceFinder();

// The face the system picks for the request; nothing when it picks none.
std::optional<FoundFace> FindFace(const FaceRequest& request);

}  // namespace gdi::text
