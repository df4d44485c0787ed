// The embedded pictures: every resource the program loads is there, decodes
// at its size, is a 16-colour bitmap, and looks the way its users rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/gdi/objects.h"
#include "platform/ui/resources.h"
#include "res/app_resources.h"
#include "res/embedded_resources.h"
#include "tools/resgen/palette.h"

namespace {

using corvane_res::EmbeddedResource;

struct Expected {
    int id;
    int width;
    int height;
};

constexpr Expected kExpected[] = {
    {kAppIcon, 32, 32}, {kAppIconSmall, 16, 16}, {130, 618, 117}, {143, 22, 26},  {145, 24, 27},
    {147, 56, 33},      {172, 56, 33},           {144, 44, 32},   {146, 37, 28},  {150, 182, 64},
    {151, 182, 64},     {152, 182, 65},          {153, 182, 65},  {154, 182, 65}, {155, 182, 65},
    {156, 224, 65},     {157, 224, 65},          {158, 181, 65},  {159, 181, 65}, {163, 433, 64},
    {167, 433, 64},     {171, 182, 65},
};

constexpr int kIconSlots[] = {143, 145, 147, 172, 144, 146};
constexpr std::pair<int, int> kUpDown[] = {{150, 151}, {152, 153}, {154, 155},
                                           {156, 157}, {158, 159}, {163, 167}};

const EmbeddedResource* Find(int id) {
    for (std::size_t i = 0; i < corvane_res::kEmbeddedResourceCount; ++i) {
        if (corvane_res::kEmbeddedResources[i]->id == id) return corvane_res::kEmbeddedResources[i];
    }
    return nullptr;
}

gdi::SurfacePtr Decode(int id) {
    const EmbeddedResource* r = Find(id);
    if (!r) return nullptr;
    CBitmap bitmap;
    if (!bitmap.LoadFromBmp(r->data, r->size, id)) return nullptr;
    return bitmap.GetSafeHandle();
}

std::uint32_t Le(const unsigned char* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes; i-- > 0;) v = (v << 8) | p[i];
    return v;
}

gdi::Pixel P(resgen::PaletteIndex i) {
    return gdi::ToPixel(resgen::Colour(i));
}

std::map<gdi::Pixel, int> Histogram(const gdi::Surface& s) {
    std::map<gdi::Pixel, int> h;
    for (gdi::Pixel p : s.pixels()) ++h[p];
    return h;
}

gdi::Pixel MostCommon(const gdi::Surface& s) {
    const auto h = Histogram(s);
    return std::max_element(h.begin(), h.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
}

// Bounds of what is drawn on the face, away from the frame.
RECT ContentBounds(const gdi::Surface& s, gdi::Pixel face) {
    constexpr int kFrameRoom = 8;
    RECT b{s.width(), s.height(), 0, 0};
    for (int y = kFrameRoom; y < s.height() - kFrameRoom; ++y) {
        for (int x = kFrameRoom; x < s.width() - kFrameRoom; ++x) {
            if (s.at(x, y) == face) continue;
            b = RECT{std::min<int>(b.left, x), std::min<int>(b.top, y), std::max<int>(b.right, x + 1),
                     std::max<int>(b.bottom, y + 1)};
        }
    }
    return b;
}

// Rows of frame (not face) at column x, counted from the top or the bottom.
int EdgeRows(const gdi::Surface& s, gdi::Pixel face, int x, bool from_top) {
    int n = 0;
    while (n < s.height() && s.at(x, from_top ? n : s.height() - 1 - n) != face) ++n;
    return n;
}

TEST(AppResources, HoldExactlyThePicturesOfTheProgram) {
    std::set<int> ids;
    for (std::size_t i = 0; i < corvane_res::kEmbeddedResourceCount; ++i) {
        EXPECT_TRUE(ids.insert(corvane_res::kEmbeddedResources[i]->id).second)
            << "duplicate id " << corvane_res::kEmbeddedResources[i]->id;
    }
    std::set<int> expected;
    for (const Expected& e : kExpected) expected.insert(e.id);
    EXPECT_EQ(ids, expected);
}

TEST(AppResources, EmbeddedBytesAreTheCommittedFiles) {
    for (std::size_t i = 0; i < corvane_res::kEmbeddedResourceCount; ++i) {
        const EmbeddedResource& r = *corvane_res::kEmbeddedResources[i];
        const std::string name = r.id == kAppIcon        ? "128-32"
                                 : r.id == kAppIconSmall ? "128-16"
                                                         : std::to_string(r.id);
        std::ifstream file(std::string(CORVANE_SOURCE_DIR) + "/res/" + name + ".bmp", std::ios::binary);
        ASSERT_TRUE(file) << name;
        const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), {});
        EXPECT_TRUE(bytes == std::vector<unsigned char>(r.data, r.data + r.size)) << name;
    }
}

TEST(AppResources, RegisteredPicturesLoadByNumber) {
    ui::ClearResources();
    RegisterAppResources();
    for (const Expected& e : kExpected) {
        CBitmap bitmap;
        ASSERT_TRUE(ui::LoadBitmapResource(bitmap, e.id)) << e.id;
        EXPECT_EQ(bitmap.Width(), e.width) << e.id;
        EXPECT_EQ(bitmap.Height(), e.height) << e.id;
    }
    ui::ClearResources();
}

TEST(AppResources, EveryPictureIsA16ColourBmpOfItsSize) {
    for (const Expected& e : kExpected) {
        SCOPED_TRACE(e.id);
        const EmbeddedResource* r = Find(e.id);
        ASSERT_NE(r, nullptr);
        ASSERT_GE(r->size, 118u);
        const unsigned char* d = r->data;
        EXPECT_EQ(d[0], 'B');
        EXPECT_EQ(d[1], 'M');
        EXPECT_EQ(Le(d + 2, 4), r->size);
        EXPECT_EQ(Le(d + 10, 4), 118u);  // headers plus 16 palette entries
        EXPECT_EQ(Le(d + 14, 4), 40u);
        EXPECT_EQ(static_cast<int>(Le(d + 18, 4)), e.width);
        EXPECT_EQ(static_cast<int>(Le(d + 22, 4)), e.height);
        EXPECT_EQ(Le(d + 28, 2), 4u);
        EXPECT_EQ(Le(d + 30, 4), 0u);
        EXPECT_EQ(Le(d + 46, 4), 16u);
        for (int i = 0; i < 16; ++i) {
            const COLORREF c = resgen::kPalette[static_cast<std::size_t>(i)];
            const unsigned char* q = d + 54 + 4 * i;
            EXPECT_EQ(RGB(q[2], q[1], q[0]), c) << "palette entry " << i;
        }

        const gdi::SurfacePtr s = Decode(e.id);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->width(), e.width);
        EXPECT_EQ(s->height(), e.height);
    }
}

TEST(AppResources, IconSlotsAreBlackOnWhite) {
    for (int id : kIconSlots) {
        SCOPED_TRACE(id);
        const gdi::SurfacePtr s = Decode(id);
        ASSERT_NE(s, nullptr);
        const int r = s->width() - 1, b = s->height() - 1;
        for (POINT p : {POINT{0, 0}, POINT{r, 0}, POINT{0, b}, POINT{r, b}})
            EXPECT_EQ(s->at(p.x, p.y), P(resgen::kWhite));
        const auto h = Histogram(*s);
        EXPECT_GT(h.count(P(resgen::kBlack)), 0u);
        std::set<gdi::Pixel> allowed{P(resgen::kBlack), P(resgen::kWhite)};
        if (id == 146) allowed.insert(P(resgen::kGrey));  // the phase icon's outlined copy
        for (const auto& [pixel, count] : h) EXPECT_TRUE(allowed.count(pixel)) << std::hex << pixel;
    }
    EXPECT_GT(Histogram(*Decode(146)).count(P(resgen::kGrey)), 0u);
}

TEST(AppResources, ArrowsLieInTheColumnsThePagesShow) {
    // The pages copy only the left 20 of 22 and 22 of 24 columns.
    for (auto [id, shown] : {std::pair{143, 20}, std::pair{145, 22}}) {
        const gdi::SurfacePtr s = Decode(id);
        ASSERT_NE(s, nullptr);
        for (int y = 0; y < s->height(); ++y) {
            for (int x = shown; x < s->width(); ++x) EXPECT_EQ(s->at(x, y), P(resgen::kWhite)) << id;
        }
    }
}

TEST(AppResources, UpButtonsAreRaisedAndDownButtonsSunkenWithTheFaceMoved) {
    for (auto [up_id, down_id] : kUpDown) {
        SCOPED_TRACE(up_id);
        const gdi::SurfacePtr up = Decode(up_id), down = Decode(down_id);
        ASSERT_NE(up, nullptr);
        ASSERT_NE(down, nullptr);
        EXPECT_NE(up->pixels(), down->pixels());
        const gdi::Pixel face = MostCommon(*up);
        ASSERT_EQ(MostCommon(*down), face);

        const int x = up->width() / 2 - 30;  // a column clear of the text
        EXPECT_GT(EdgeRows(*up, face, x, false), EdgeRows(*up, face, x, true));
        EXPECT_GT(EdgeRows(*down, face, x, true), EdgeRows(*down, face, x, false));

        const RECT a = ContentBounds(*up, face), b = ContentBounds(*down, face);
        ASSERT_LT(a.left, a.right);
        EXPECT_GE(b.left - a.left, 2);
        EXPECT_LE(b.left - a.left, 4);
        EXPECT_GE(b.top - a.top, 2);
        EXPECT_LE(b.top - a.top, 4);
    }
}

TEST(AppResources, DisabledNextIsGreyOnLightGrey) {
    const gdi::SurfacePtr disabled = Decode(171), next = Decode(152);
    ASSERT_NE(disabled, nullptr);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(MostCommon(*disabled), P(resgen::kSilver));
    const auto h = Histogram(*disabled);
    EXPECT_GT(h.count(P(resgen::kGrey)), 0u);
    EXPECT_EQ(h.count(P(resgen::kNavy)), 0u);
    // Same face, other colours: the grey ink sits where Next's navy ink does.
    EXPECT_EQ(ContentBounds(*disabled, P(resgen::kSilver)), ContentBounds(*next, P(resgen::kWhite)));
}

TEST(AppResources, BannerAndIconCarryTheBrandColours) {
    const gdi::SurfacePtr banner = Decode(130);
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(MostCommon(*banner), P(resgen::kWhite));
    auto banner_colours = Histogram(*banner);
    EXPECT_GT(banner_colours[P(resgen::kNavy)], 1000);
    EXPECT_GT(banner_colours[P(resgen::kTeal)], 1000);
    for (int id : {kAppIcon, kAppIconSmall}) {
        const gdi::SurfacePtr icon = Decode(id);
        ASSERT_NE(icon, nullptr);
        const auto h = Histogram(*icon);
        EXPECT_GT(h.count(P(resgen::kTeal)), 0u) << id;
        // The brand word in white on the teal screen: a white pixel with teal on both sides.
        bool word = false;
        for (int y = 0; y < icon->height(); ++y) {
            for (int x = 1; x + 1 < icon->width(); ++x) {
                word |= icon->at(x, y) == P(resgen::kWhite) && icon->at(x - 1, y) == P(resgen::kTeal);
            }
        }
        EXPECT_TRUE(word) << id;
    }
}

}  // namespace
