// Surfaces over shared decoded pixels read them until written; every way of
// writing gives the writer a copy and leaves the shared pixels as they were.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/gdi/surface.h"

namespace gdi {
namespace {

std::shared_ptr<const SharedPixels> Decoded() {
    auto shared = std::make_shared<SharedPixels>();
    shared->width = 4;
    shared->height = 3;
    shared->resource_id = 42;
    for (Pixel p = 0; p < 12; ++p) shared->pixels.push_back(0x100000 + p);
    return shared;
}

TEST(SurfaceSharing, ReadsTheSharedPixelsUntilWritten) {
    const auto decoded = Decoded();
    const SurfacePtr s = Surface::CreateSharing(decoded);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->shared(), decoded.get());
    EXPECT_EQ(s->resource_id, 42);
    const Surface& reader = *s;
    EXPECT_EQ(reader.at(3, 2), 0x10000Bu);
    EXPECT_EQ(reader.row(1)[0], 0x100004u);
    EXPECT_EQ(reader.pixels(), decoded->pixels);
    EXPECT_EQ(s->shared(), decoded.get()) << "reading keeps sharing";

    auto wrong_size = std::make_shared<SharedPixels>(*decoded);
    wrong_size->pixels.pop_back();
    EXPECT_EQ(Surface::CreateSharing(wrong_size), nullptr);
    EXPECT_EQ(Surface::CreateSharing(nullptr), nullptr);
}

TEST(SurfaceSharing, EveryWriteTakesACopyFirst) {
    const std::vector<std::pair<const char*, std::function<void(Surface&)>>> writes = {
        {"row", [](Surface& s) { s.row(1)[2] = 7; }},
        {"rows", [](Surface& s) { s.rows(0, 3)[4 + 2] = 7; }},
        {"pixels", [](Surface& s) { s.pixels()[6] = 7; }},
        {"set", [](Surface& s) { s.set(2, 1, 7); }},
        {"column", [](Surface& s) { s.AddColumn(2, 1, 2, 7); }},
    };
    for (const auto& [name, write] : writes) {
        SCOPED_TRACE(name);
        const auto decoded = Decoded();
        const SurfacePtr writer = Surface::CreateSharing(decoded);
        const SurfacePtr other = Surface::CreateSharing(decoded);
        write(*writer);
        EXPECT_EQ(writer->shared(), nullptr);
        PixelVector expected = decoded->pixels;
        expected[6] = 7;
        EXPECT_EQ(std::as_const(*writer).pixels(), expected);
        EXPECT_EQ(decoded->pixels, Decoded()->pixels) << "the shared pixels are untouched";
        EXPECT_EQ(std::as_const(*other).pixels(), decoded->pixels);
    }
}

TEST(SurfaceSharing, AFillCoversTheSharedPixels) {
    const auto decoded = Decoded();
    const SurfacePtr s = Surface::CreateSharing(decoded);
    s->Fill(0xABCDEF);
    EXPECT_EQ(std::as_const(*s).pixels(), PixelVector(12, 0xABCDEF));
    EXPECT_EQ(decoded->pixels, Decoded()->pixels);
}

}  // namespace
}  // namespace gdi
