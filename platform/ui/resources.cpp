#include "platform/ui/resources.h"

#include <map>

#include "platform/context.h"

namespace ui {
namespace {

struct ResourcesPart : platform::Part {
    static constexpr platform::PartId kId = platform::PartId::kResources;
    std::map<int, std::span<const unsigned char>> table;
    std::map<int, HICON__> icons;  // handed out by address: never erased
    // Bitmaps as first decoded; each load hands out a copy of its own.
    std::map<int, gdi::SurfacePtr> decoded;
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
    // Pages load their pictures on every render: decode once, then copy,
    // which costs a fraction of decoding. The copy keeps drawing into one
    // loaded bitmap out of every other.
    auto& decoded = Resources().decoded;
    if (auto it = decoded.find(id); it != decoded.end()) {
        gdi::SurfacePtr copy = gdi::Surface::Create(it->second->width(), it->second->height());
        if (!copy) return FALSE;
        copy->pixels() = it->second->pixels();
        copy->resource_id = it->second->resource_id;
        bmp.Attach(std::move(copy));
        return TRUE;
    }
    const std::span<const unsigned char> bytes = FindResource(id);
    if (bytes.empty()) return FALSE;
    CBitmap first;
    if (!first.LoadFromBmp(bytes.data(), bytes.size(), id)) return FALSE;
    decoded[id] = first.GetSafeHandle();
    return LoadBitmapResource(bmp, id);
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
