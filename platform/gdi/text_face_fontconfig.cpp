// The face finder of Linux desktops: fontconfig matches the family, weight
// and slant, with the generic family lfPitchAndFamily names as a fallback.
#include <fontconfig/fontconfig.h>

#include <cstdlib>

#include "platform/gdi/text_face_finder.h"
#include "platform/gdi/text_setup.h"

namespace gdi::text {

namespace {

const char* GenericFamily(std::uint8_t pitch_and_family) {
    switch (pitch_and_family & 0xF0) {
        case 0x10:
            return "serif";  // FF_ROMAN
        case 0x20:
            return "sans-serif";  // FF_SWISS
        case 0x30:
            return "monospace";  // FF_MODERN
        case 0x40:
            return "cursive";  // FF_SCRIPT
        case 0x50:
            return "fantasy";  // FF_DECORATIVE
        default:
            break;
    }
    return (pitch_and_family & 0x03) == 1 ? "monospace" : "";  // FIXED_PITCH
}

std::string PatternString(FcPattern* p, const char* object) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(p, object, 0, &value) != FcResultMatch || !value) return {};
    return reinterpret_cast<const char*>(value);
}

}  // namespace

bool SetUpFaceFinder() {
    if (!SetUpFontconfig()) return false;
    // fontconfig keeps unreachable blocks until FcFini (LeakSanitizer reports
    // them). Nothing of ours holds fontconfig objects, and a later match would
    // just initialise fontconfig again.
    std::atexit(FcFini);
    return true;
}

std::optional<FoundFace> FindFace(const FaceRequest& request) {
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return std::nullopt;
    const std::string generic = GenericFamily(request.pitch_and_family);
    const std::string fallback = generic.empty() ? "serif" : generic;
    const std::string& first = request.name.empty() ? fallback : request.name;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(first.c_str()));
    if (!request.name.empty() && !generic.empty()) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(generic.c_str()));
    }
    FcPatternAddInteger(pattern, FC_WEIGHT, request.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return std::nullopt;

    std::optional<FoundFace> found;
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path) {
        found.emplace();
        found->path = reinterpret_cast<const char*>(path);
        FcPatternGetInteger(match, FC_INDEX, 0, &found->index);
        found->family = PatternString(match, FC_FAMILY);
        found->style = PatternString(match, FC_STYLE);
    }
    FcPatternDestroy(match);
    return found;
}

}  // namespace gdi::text
