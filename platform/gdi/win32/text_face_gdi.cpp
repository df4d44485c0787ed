// The face finder of Windows: GDI picks the face for the family, weight,
// slant and pitch-and-family, as it would for text drawn with that font, and
// GetFontData hands out the file it comes from.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "platform/win32_text.h"

#include <string>
#include <vector>

#include "platform/gdi/text_face_finder.h"

namespace gdi::text {

namespace {

// 'ttcf': the whole collection file, when the face comes from one.
constexpr DWORD kCollectionTable = 0x66637474;
// The size GDI is asked for; any size selects the same file.
constexpr LONG kRequestHeight = -64;

using platform::Utf8;
using platform::Wide;

// One table of the selected font, or the whole file with table 0.
bool ReadFontData(HDC dc, DWORD table, std::vector<std::uint8_t>* bytes) {
    const DWORD size = GetFontData(dc, table, 0, nullptr, 0);
    if (size == GDI_ERROR || size == 0) return false;
    bytes->resize(size);
    return GetFontData(dc, table, 0, bytes->data(), size) == size;
}

// The selected font's family and style, as its name table gives them.
void ReadNames(HDC dc, FoundFace* found) {
    const UINT size = GetOutlineTextMetricsW(dc, 0, nullptr);
    if (size == 0) return;
    std::vector<std::uint8_t> block(size);
    auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(block.data());
    if (GetOutlineTextMetricsW(dc, size, metrics) == 0) return;
    const auto name_at = [&block](PSTR offset) {
        const auto at = reinterpret_cast<std::uintptr_t>(offset);
        return at > 0 && at < block.size() ? Utf8(reinterpret_cast<const wchar_t*>(block.data() + at))
                                           : std::string();
    };
    found->family = name_at(metrics->otmpFamilyName);
    found->style = name_at(metrics->otmpStyleName);
}

}  // namespace

bool SetUpFaceFinder() {
    return true;  // GDI's font list is the system's
}

std::optional<FoundFace> FindFace(const FaceRequest& request) {
    LOGFONTW lf{};
    lf.lfHeight = kRequestHeight;
    lf.lfWeight = request.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = request.italic ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;  // a scalable face, as FreeType renders it
    lf.lfPitchAndFamily = request.pitch_and_family;
    const std::wstring name = Wide(request.name);
    lstrcpynW(lf.lfFaceName, name.c_str(), LF_FACESIZE);
    HFONT font = CreateFontIndirectW(&lf);
    if (!font) return std::nullopt;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) {
        DeleteObject(font);
        return std::nullopt;
    }
    HGDIOBJ previous = SelectObject(dc, font);
    std::optional<FoundFace> found;
    auto bytes = std::make_shared<std::vector<std::uint8_t>>();
    FoundFace face;
    if (ReadFontData(dc, kCollectionTable, bytes.get())) {
        face.index = -1;  // the face named below, within the collection
    } else if (!ReadFontData(dc, 0, bytes.get())) {
        bytes.reset();
    }
    if (bytes) {
        ReadNames(dc, &face);
        face.bytes = std::move(bytes);
        found = std::move(face);
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(font);
    return found;
}

}  // namespace gdi::text
