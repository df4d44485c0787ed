// BMP decoding for CBitmap::LoadFromBmp, through stb_image.
#include <climits>

#include "platform/gdi/objects.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16384
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

BOOL CBitmap::LoadFromBmp(const std::uint8_t* bytes, std::size_t size, int resource_id) {
    handle_.reset();
    if (!bytes || size == 0 || size > static_cast<std::size_t>(INT_MAX)) return FALSE;
    int w = 0, h = 0, channels = 0;
    stbi_uc* rgb = stbi_load_from_memory(bytes, static_cast<int>(size), &w, &h, &channels, 3);
    if (!rgb) return FALSE;
    auto surface = gdi::Surface::Create(w, h);
    if (surface) {
        const stbi_uc* p = rgb;
        for (gdi::Pixel& px : surface->pixels()) {
            px = (static_cast<gdi::Pixel>(p[0]) << 16) | (static_cast<gdi::Pixel>(p[1]) << 8) | p[2];
            p += 3;
        }
        surface->resource_id = resource_id;
    }
    stbi_image_free(rgb);
    handle_ = std::move(surface);
    return handle_ ? TRUE : FALSE;
}
