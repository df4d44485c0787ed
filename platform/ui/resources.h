// The application's resources: bitmaps and icons by number, from a table the
// build embeds.
#pragma once

#include <cstddef>
#include <span>

#include "platform/gdi/objects.h"
#include "platform/ui/wintypes.h"

namespace ui {

struct ResourceEntry {
    int id;
    const unsigned char* data;
    std::size_t size;
};

// Adds the entries (the table must outlive the program); a later entry with
// the same number replaces an earlier one.
void RegisterResources(const ResourceEntry* table, std::size_t count);
// Empty for an unknown number.
std::span<const unsigned char> FindResource(int id);
// Releases what bmp holds, then decodes resource id into it. A missing or
// undecodable resource returns FALSE and leaves bmp empty.
BOOL LoadBitmapResource(CBitmap& bmp, int id);
// An icon handle for a registered resource; null when there is none.
HICON LoadIconResource(int id);
// Forgets every registered resource.
void ClearResources();

}  // namespace ui
