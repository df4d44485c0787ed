#include "platform/ui/resources.h"

#include <map>

#include "platform/context.h"

namespace ui {
namespace {

struct ResourcesPart : platform::Part {
    static constexpr platform::PartId kId = platform::PartId::kResources;
    std::map<int, std::span<const unsigned char>> table;
    std::map<int, HICON__> icons;  // handed out by address: never erased
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
    const std::span<const unsigned char> bytes = FindResource(id);
    if (bytes.empty()) return FALSE;
    if (!bmp.LoadFromBmp(bytes.data(), bytes.size(), id)) {
        bmp.DeleteObject();
        return FALSE;
    }
    return TRUE;
}

HICON LoadIconResource(int id) {
    if (FindResource(id).empty()) return nullptr;
    return &Resources().icons.try_emplace(id, HICON__{id}).first->second;
}

void ClearResources() {
    Table().clear();
}

}  // namespace ui
