// The icon-theme pictures of the application icon and their PNG files.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/resgen/icon_png_writer.h"
#include "tools/resgen/palette.h"
#include "tools/resgen/pictures.h"

namespace {

constexpr COLORREF kKey = RGB(255, 0, 255);
constexpr COLORREF kOtherKey = RGB(1, 2, 3);

// Counts pixels of the colour inside the rectangle [x0, x1) x [y0, y1).
int Count(const gdi::Surface& s, COLORREF colour, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) n += s.at(x, y) == gdi::ToPixel(colour);
    }
    return n;
}

TEST(ThemeIcon, EverySizeIsDrawnAtThatSizeOnItsBackgroundOnly) {
    for (int size : resgen::kThemeIconSizes) {
        SCOPED_TRACE(size);
        const gdi::SurfacePtr icon = resgen::DrawThemeIcon(size, kKey);
        const gdi::SurfacePtr other = resgen::DrawThemeIcon(size, kOtherKey);
        ASSERT_TRUE(icon && other);
        ASSERT_EQ(icon->width(), size);
        ASSERT_EQ(icon->height(), size);
        EXPECT_EQ(icon->at(0, 0), gdi::ToPixel(kKey));
        // Only background pixels depend on the background: no edge is blended
        // with it, so keying it out leaves no fringe and no holes.
        int background = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const bool is_key = icon->at(x, y) == gdi::ToPixel(kKey);
                background += is_key;
                if (is_key) {
                    EXPECT_EQ(other->at(x, y), gdi::ToPixel(kOtherKey)) << x << "," << y;
                } else {
                    ASSERT_EQ(other->at(x, y), icon->at(x, y)) << x << "," << y;
                }
            }
        }
        EXPECT_LT(background, size * size / 2);
        // The teal screen with the white brand word in the upper half.
        const int centre = size / 2;
        EXPECT_GT(Count(*icon, resgen::Colour(resgen::kTeal), 0, 0, size, centre), size * size / 8);
        EXPECT_GT(Count(*icon, resgen::Colour(resgen::kWhite), size / 8, size / 8, size - size / 8, centre),
                  0);
    }
}

TEST(ThemeIcon, LargerSizesAreRedrawnNotEnlarged) {
    const int pairs[][2] = {{16, 32}, {32, 64}, {64, 128}, {128, 256}};
    for (const auto& [small, large] : pairs) {
        SCOPED_TRACE(std::to_string(small) + " -> " + std::to_string(large));
        const gdi::SurfacePtr a = resgen::DrawThemeIcon(small, kKey);
        const gdi::SurfacePtr b = resgen::DrawThemeIcon(large, kKey);
        int differing = 0;
        for (int y = 0; y < large; ++y) {
            for (int x = 0; x < large; ++x)
                differing += b->at(x, y) != a->at(x * small / large, y * small / large);
        }
        EXPECT_GT(differing, large * large / 50);
    }
}

TEST(IconPng, KeyColourBecomesTransparentAndTheRestOpaque) {
    auto surface = gdi::Surface::Create(3, 2);
    surface->set(0, 0, gdi::ToPixel(kKey));
    surface->set(1, 0, 0x123456);
    surface->set(2, 0, 0xFFFFFF);
    surface->set(0, 1, 0x000000);
    surface->set(1, 1, gdi::ToPixel(kKey));
    surface->set(2, 1, 0xFF00FE);  // next to the key, but not it
    const std::string path = std::filesystem::temp_directory_path() /
                             ("corvane_icon_png_test." + std::to_string(getpid()) + ".png");
    std::string error;
    ASSERT_TRUE(resgen::WriteIconPng(path, *surface, gdi::ToPixel(kKey), &error)) << error;

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    ASSERT_EQ(image.width, 3u);
    ASSERT_EQ(image.height, 2u);
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> rgba(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr));
    std::remove(path.c_str());
    const std::vector<png_byte> expected = {
        0, 0, 0, 0,   0x12, 0x34, 0x56, 255, 0xFF, 0xFF, 0xFF, 255,
        0, 0, 0, 255, 0,    0,    0,    0,   0xFF, 0x00, 0xFE, 255,
    };
    EXPECT_EQ(rgba, expected);
}

TEST(IconPng, RefusesWhatItCannotWrite) {
    auto surface = gdi::Surface::Create(2, 2);
    std::string error;
    EXPECT_FALSE(resgen::WriteIconPng("/nonexistent-folder/icon.png", *surface, 0, &error));
    EXPECT_EQ(error, "cannot write /nonexistent-folder/icon.png");
    auto empty = gdi::Surface::Create(0, 0);
    EXPECT_FALSE(resgen::WriteIconPng("/tmp/unused.png", *empty, 0, &error));
    EXPECT_FALSE(std::filesystem::exists("/tmp/unused.png"));
}

}  // namespace
