#include "tests/e2e/screen_image.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "tests/golden/png_pixels.h"

namespace e2e {

bool ReadPng(const std::string& path, Image* image, std::string* error) {
    return test_png::ReadPixels(path, &image->width, &image->height, &image->pixels, error);
}

bool WritePng(const std::string& path, const Image& image) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_BGRA;
    std::vector<std::uint32_t> opaque(image.pixels);
    for (std::uint32_t& p : opaque) p |= 0xFF000000u;
    return png_image_write_to_file(&png, path.c_str(), 0, opaque.data(), 0, nullptr) != 0;
}

Image CaptureRoot(const std::string& display_name) {
    Image image;
    Display* display = XOpenDisplay(display_name.c_str());
    if (!display) return image;
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, root, &attributes)) {
        XImage* x = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
        if (x) {
            image.width = attributes.width;
            image.height = attributes.height;
            image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
            for (int y = 0; y < image.height; ++y) {
                for (int xx = 0; xx < image.width; ++xx) {
                    image.pixels[static_cast<std::size_t>(y) * image.width + xx] =
                        static_cast<std::uint32_t>(XGetPixel(x, xx, y)) & 0xFFFFFF;
                }
            }
            XDestroyImage(x);
        }
    }
    XCloseDisplay(display);
    return image;
}

long CountDifferences(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height) {
        return static_cast<long>(std::max(a.pixels.size(), b.pixels.size()));
    }
    long n = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i];
    return n;
}

Image Crop(const Image& image, int x, int y, int width, int height) {
    Image part;
    if (x < 0 || y < 0 || width < 0 || height < 0 || x > image.width - width || y > image.height - height) {
        return part;
    }
    part.width = width;
    part.height = height;
    for (int row = y; row < y + height; ++row) {
        const auto* from = &image.pixels[static_cast<std::size_t>(row) * image.width + x];
        part.pixels.insert(part.pixels.end(), from, from + width);
    }
    return part;
}

void CoverCursor(Image& shown, const Image& like, int x, int y) {
    if (shown.width != like.width || shown.height != like.height) return;
    // A cursor picture reaches a few pixels above and left of its hot spot.
    for (int row = std::max(y - 8, 0); row < std::min(y + 32, like.height); ++row) {
        for (int col = std::max(x - 8, 0); col < std::min(x + 32, like.width); ++col) {
            const std::size_t i = static_cast<std::size_t>(row) * like.width + col;
            shown.pixels[i] = like.pixels[i];
        }
    }
}

}  // namespace e2e
