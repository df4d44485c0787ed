#include "platform/ui/resources.h"

#include <map>

#include "platform/context.h"

namespace ui {
namespace {

struct ResourcesPart : platform::Part {
    static constexpr platform::PartId kId = platform::PartId::kResources;
    std::map<int, std::span<const unsigned char>> table;
    std::map<int, HICON__> icons;  // handed out by address: never erased
    // Bitmaps as first decoded; each load hands out a surface sharing them
    // until it is drawn into.
    std::map<int, std::shared_ptr<const gdi::SharedPixels>> decoded;
};

ResourcesPart& Resources() {
    return platform::TheContext().Get<ResourcesPart>();
}

std::map<int, std::span<const unsigned char>>& Table() {
    return Resources().table;
}

}  // namespace

void RegisterResources(const ResourceEntry* table, std::size_t count) {
    for (std::size_t i = 0; table && i < count; ++i) {
        Resources().decoded.erase(table[i].id);
        Table()[table[i].id] =
            std::span<const unsigned char>(table[i].data, table[i].data ? table[i].size : 0);
    }
}

std::span<const unsigned char> FindResource(int id) {
    auto it = Table().find(id);
    return it == Table().end() ? std::span<const unsigned char>() : it->second;
}

BOOL LoadBitmapResource(CBitmap& bmp, int id) {
    bmp.DeleteObject();
    // Pages load their pictures on every render: decode once, then share
    // the pixels, so that a render neither decodes nor copies them. Drawing
    // into a loaded bitmap gives it a copy of its own.
    auto& decoded = Resources().decoded;
    auto it = decoded.find(id);
    if (it == decoded.end()) {
        const std::span<const unsigned char> bytes = FindResource(id);
        if (bytes.empty()) return FALSE;
        CBitmap first;
        if (!first.LoadFromBmp(bytes.data(), bytes.size(), id)) return FALSE;
        const gdi::SurfacePtr surface = first.GetSafeHandle();
        auto shared = std::make_shared<gdi::SharedPixels>();
        shared->width = surface->width();
        shared->height = surface->height();
        shared->resource_id = surface->resource_id;
        shared->pixels = std::move(surface->pixels());
        it = decoded.emplace(id, std::move(shared)).first;
    }
    gdi::SurfacePtr surface = gdi::Surface::CreateSharing(it->second);
    if (!surface) return FALSE;
    bmp.Attach(std::move(surface));
    return TRUE;
}

HICON LoadIconResource(int id) {
    if (FindResource(id).empty()) return nullptr;
    return &Resources().icons.try_emplace(id, HICON__{id}).first->second;
}

void ClearResources() {
    Table().clear();
    Resources().decoded.clear();
}

}  // namespace ui
