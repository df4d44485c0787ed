#include "platform/ui/resources.h"

#include <map>

namespace ui {
namespace {

std::map<int, std::span<const unsigned char>>& Table() {
    static std::map<int, std::span<const unsigned char>> table;
    return table;
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
    static std::map<int, HICON__> icons;
    if (FindResource(id).empty()) return nullptr;
    return &icons.try_emplace(id, HICON__{id}).first->second;
}

void ClearResources() {
    Table().clear();
}

}  // namespace ui
