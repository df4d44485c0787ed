// Font resolution: the system's font matching picks a file for (face name,
// weight, italic), FreeType opens it once; matched faces and sized fonts live
// for the process.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/background_jobs.h"
#include "platform/context.h"
#include "platform/gdi/text_face_finder.h"
#include "platform/gdi/text_internal.h"

namespace gdi::text {

namespace {

struct MatchKey {
    std::string name;  // UTF-8
    bool bold;
    bool italic;
    std::uint8_t pitch_and_family;
    auto tie() const { return std::tie(name, bold, italic, pitch_and_family); }
    bool operator<(const MatchKey& o) const { return tie() < o.tie(); }
};

struct SizedKey {
    const FaceFile* file;
    bool synthetic_bold;
    int height;
    auto tie() const { return std::tie(file, synthetic_bold, height); }
    bool operator<(const SizedKey& o) const { return tie() < o.tie(); }
};

// Everything here is created once and never destroyed: fonts may be used
// from other statics' destructors, and FT_Done_FreeType at exit buys nothing.
// The context that holds it is never destroyed either.
struct Registry {
    bool usable = false;
    FT_Library library = nullptr;
    // nullptr entries remember files FreeType could not use. Faces in memory
    // are keyed by their family and style.
    std::map<std::pair<std::string, int>, std::unique_ptr<FaceFile>> files;
    // file == nullptr remembers requests that found nothing.
    std::map<MatchKey, MatchedFace> matches;
    // nullptr remembers sizes FreeType refused.
    std::map<SizedKey, std::shared_ptr<const SizedFont>> sized;
    FontCacheStats stats;
};

struct RegistryPart : platform::Part {
    static constexpr platform::PartId kId = platform::PartId::kFontRegistry;
    Registry registry;
    std::once_flag set_up;
    std::once_flag setup_started;
    std::future<void> setup;  // StartFontSetup's thread
    // Fonts and texts to have ready when the set-up's job ends; taken until
    // the job has handled its last ones.
    std::mutex early_mutex;
    std::condition_variable early_asked;
    std::vector<FontText> early;
    bool early_closed = false;
    bool exiting = false;  // no first page will ask any more
};

// How long the set-up's job waits for the first page's fonts when they are
// due: far longer than a window takes to come up, short enough that a start
// that fails before its first page still ends at once.
constexpr std::chrono::milliseconds kPreparationWait{100};

// Shared with StartFontSetup's thread.
RegistryPart& Fonts() {
    return platform::TheContext().GetShared<RegistryPart>();
}

Registry& registry() {
    RegistryPart& part = Fonts();
    Registry* const r = &part.registry;
    // Once, even when StartFontSetup's thread is still at it: a second
    // caller waits for the first.
    std::call_once(part.set_up, [r] {
        if (SetUpFaceFinder()) r->usable = FT_Init_FreeType(&r->library) == 0;
    });
    return *r;
}

std::shared_ptr<const SizedFont> ResolveReady(const LOGFONTA& lf);

// On the set-up's thread, after the set-up: resolves each font asked for and
// renders the glyphs of its text, until none is left to do. With fonts
// `due`, first waits for them (a bounded time).
void PrepareEarlyFonts(bool due) {
    RegistryPart& part = Fonts();
    std::unique_lock lock(part.early_mutex);
    if (due) {
        part.early_asked.wait_for(lock, kPreparationWait,
                                  [&part] { return !part.early.empty() || part.exiting; });
    }
    for (;;) {
        if (part.early.empty()) {
            part.early_closed = true;
            return;
        }
        std::vector<FontText> batch;
        batch.swap(part.early);
        lock.unlock();
        for (const FontText& f : batch) {
            if (const auto font = ResolveReady(f.font)) font->Measure(f.text);
        }
        lock.lock();
    }
}

}  // namespace

void StartFontSetup(bool preparation_due) {
    RegistryPart& part = Fonts();
    std::call_once(part.setup_started, [&part, preparation_due] {
        part.setup = platform::RunInBackground([preparation_due] {
            registry();
            PrepareEarlyFonts(preparation_due);
        });
        // The program never ends while the set-up still runs; it need not
        // wait for fonts no page will ask for.
        std::atexit([] {
            RegistryPart& fonts = Fonts();
            {
                std::lock_guard lock(fonts.early_mutex);
                fonts.exiting = true;
            }
            fonts.early_asked.notify_one();
            fonts.setup.wait();
        });
    });
}

void PrepareDuringFontSetup(std::vector<FontText> fonts) {
    RegistryPart& part = Fonts();
    {
        std::lock_guard lock(part.early_mutex);
        if (part.early_closed || fonts.empty()) return;
        for (FontText& f : fonts) part.early.push_back(std::move(f));
    }
    part.early_asked.notify_one();
}

namespace {

// Asked of the file, not of fontconfig's answer: its synthetic-bold rule
// rewrites the match's weight to bold.
bool IsBoldFace(FT_Face face) {
    if (face->style_flags & FT_STYLE_FLAG_BOLD) return true;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    return os2 && os2->version != 0xFFFF && os2->usWeightClass >= 600;
}

// A collection's face with the family and style asked for; else its first.
int FaceIndexNamed(FT_Library library, const FoundFace& found) {
    const auto& bytes = *found.bytes;
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(library, bytes.data(), static_cast<FT_Long>(bytes.size()), -1, &face) != 0)
        return 0;
    const FT_Long count = face->num_faces;
    FT_Done_Face(face);
    for (FT_Long i = 0; i < count; ++i) {
        if (FT_New_Memory_Face(library, bytes.data(), static_cast<FT_Long>(bytes.size()), i, &face) != 0)
            continue;
        const bool same = face->family_name && face->style_name && found.family == face->family_name &&
                          found.style == face->style_name;
        FT_Done_Face(face);
        if (same) return static_cast<int>(i);
    }
    return 0;
}

FaceFile* OpenFile(Registry& r, const FoundFace& found) {
    const bool in_memory = found.bytes != nullptr;
    // A file in memory is known by its bytes: the system may hand out the
    // same file under several names.
    const std::string key =
        in_memory ? "memory:" + std::to_string(found.bytes->size()) + ":" +
                        std::to_string(std::hash<std::string_view>{}(std::string_view(
                            reinterpret_cast<const char*>(found.bytes->data()), found.bytes->size())))
                  : found.path;
    auto [it, inserted] = r.files.try_emplace({key, found.index});
    if (!inserted) return it->second.get();
    ++r.stats.files_opened;
    FT_Face face = nullptr;
    if (in_memory) {
        const int index = found.index < 0 ? FaceIndexNamed(r.library, found) : found.index;
        if (FT_New_Memory_Face(r.library, found.bytes->data(), static_cast<FT_Long>(found.bytes->size()),
                               index, &face) != 0) {
            return nullptr;
        }
    } else if (FT_New_Face(r.library, found.path.c_str(), found.index, &face) != 0) {
        return nullptr;
    }
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
        FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL);  // bytes go to U+F000 + byte
    }
    auto file = std::make_unique<FaceFile>();
    file->face = face;
    file->bytes = found.bytes;  // FreeType reads them for as long as the face lives
    // Names as the file gives them where the system's are another name's.
    if (!in_memory) {
        file->family = found.family;
        file->style = found.style;
    }
    if (file->family.empty() && face->family_name) file->family = face->family_name;
    if (file->style.empty() && face->style_name) file->style = face->style_name;
    it->second = std::move(file);
    return it->second.get();
}

MatchedFace Match(Registry& r, const MatchKey& key) {
    ++r.stats.fontconfig_matches;
    const std::optional<FoundFace> found = FindFace({key.name, key.bold, key.italic, key.pitch_and_family});
    if (!found) return {};
    MatchedFace matched;
    matched.file = OpenFile(r, *found);
    matched.synthetic_bold = key.bold && matched.file && !IsBoldFace(matched.file->face);
    return matched;
}

}  // namespace

std::int64_t MulDivRound(std::int64_t a, std::int64_t b, std::int64_t c) {
    if (c == 0) return 0;
    std::int64_t n = a * b;
    const bool negative = (n < 0) != (c < 0);
    n = n < 0 ? -n : n;
    const std::int64_t d = c < 0 ? -c : c;
    const std::int64_t q = (n + d / 2) / d;
    return negative ? -q : q;
}

std::shared_ptr<const SizedFont> ResolveFont(const LOGFONTA& lf) {
    // The first font waits for the set-up, doing work offered for such waits.
    platform::WaitDoingOfferedWork(Fonts().setup);
    return ResolveReady(lf);
}

namespace {

// ResolveFont once the set-up is done, or on its own thread.
std::shared_ptr<const SizedFont> ResolveReady(const LOGFONTA& lf) {
    Registry& r = registry();
    if (!r.usable) return nullptr;

    MatchKey key;
    key.name = Cp1252ToUtf8(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
    key.bold = lf.lfWeight >= 600;
    key.italic = lf.lfItalic != 0;
    key.pitch_and_family = lf.lfPitchAndFamily;
    auto match = r.matches.find(key);
    if (match == r.matches.end()) match = r.matches.emplace(key, Match(r, key)).first;
    const MatchedFace& face = match->second;
    if (!face.file) return nullptr;

    int height = std::clamp(lf.lfHeight, -kMaxFontHeight, kMaxFontHeight);
    if (height == 0) height = kDefaultFontHeight;
    auto [it, inserted] = r.sized.try_emplace(SizedKey{face.file, face.synthetic_bold, height});
    if (inserted) it->second = FtSizedFont::Create(face, height);
    return it->second;
}

}  // namespace

FontCacheStats GetFontCacheStats() {
    Registry& r = registry();
    return r.stats;
}

}  // namespace gdi::text
