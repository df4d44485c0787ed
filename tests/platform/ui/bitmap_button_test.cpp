#include <cstdint>
#include <vector>

#include "tests/platform/ui/ui_fixture.h"

namespace {

// A 4 x 2 24-bit BMP file of one colour.
std::vector<unsigned char> SolidBmp(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    const int w = 4, h = 2, row = 12, data = row * h;
    std::vector<unsigned char> f(54 + data, 0);
    auto put32 = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) f[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, static_cast<std::uint32_t>(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    f[26] = 1;
    f[28] = 24;
    put32(34, data);
    for (int i = 54; i < 54 + data; i += 3) {
        f[i] = b;
        f[i + 1] = g;
        f[i + 2] = r;
    }
    return f;
}

class BitmapButtonTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        red = SolidBmp(255, 0, 0);
        green = SolidBmp(0, 255, 0);
        blue = SolidBmp(0, 0, 255);
        table = {{150, red.data(), red.size()},
                 {151, green.data(), green.size()},
                 {171, blue.data(), blue.size()}};
        ui::RegisterResources(table.data(), table.size());
        ASSERT_TRUE(
            frame.CreateEx(0, nullptr, "f", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0));
    }
    void TearDown() override {
        UiTest::TearDown();
        ui::ClearResources();
    }
    gdi::Pixel Face() {
        ui::PumpUntilIdle();
        return host.screen()->at(11, 11);
    }

    std::vector<unsigned char> red, green, blue;
    std::vector<ui::ResourceEntry> table;
    CWnd frame;
    CBitmapButton button;
};

TEST_F(BitmapButtonTest, LoadBitmapsReportsAllRequestedAndReleasesOldImages) {
    EXPECT_TRUE(button.LoadBitmaps(150, 151, 0, 171));
    EXPECT_EQ(button.UpBitmap().Width(), 4);
    EXPECT_NE(button.DownBitmap().GetSafeHandle(), nullptr);
    EXPECT_EQ(button.FocusBitmap().GetSafeHandle(), nullptr);
    EXPECT_NE(button.DisabledBitmap().GetSafeHandle(), nullptr);

    EXPECT_FALSE(button.LoadBitmaps(150, 151, 999));  // a missing extra image
    EXPECT_NE(button.DownBitmap().GetSafeHandle(), nullptr);
    EXPECT_EQ(button.DisabledBitmap().GetSafeHandle(), nullptr);  // released, not asked again

    EXPECT_FALSE(button.LoadBitmaps(999, 151, 0, 171));  // up fails: nothing else is loaded
    EXPECT_EQ(button.UpBitmap().GetSafeHandle(), nullptr);
    EXPECT_EQ(button.DownBitmap().GetSafeHandle(), nullptr);
    EXPECT_EQ(button.DisabledBitmap().GetSafeHandle(), nullptr);
}

TEST_F(BitmapButtonTest, DrawItemPicksDownThenDisabledThenUp) {
    ASSERT_TRUE(button.LoadBitmaps(150, 151, 0, 171));
    ASSERT_TRUE(
        button.Create(nullptr, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 30, 30), &frame, 1));
    EXPECT_EQ(Face(), 0xFF0000u);
    host.PushPress(12, 12);
    host.PushAction([&] { EXPECT_EQ(Face(), 0x00FF00u); });  // held down, focused: no focus image
    host.PushRelease(12, 12);
    ui::RunMessageLoop();
    EXPECT_EQ(Face(), 0xFF0000u);
    button.EnableWindow(FALSE);
    EXPECT_EQ(Face(), 0x0000FFu);
    // Only the image's own 4 x 2 pixels are copied, at the item's top-left.
    EXPECT_EQ(host.screen()->at(15, 11), 0u);
}

TEST_F(BitmapButtonTest, AnImageThatDoesNotDecodeCountsAsNotLoadedWhenFirstNeeded) {
    // A BMP header whose pixels are cut off: registered, but undecodable.
    std::vector<unsigned char> cut = SolidBmp(0, 0, 255);
    cut.resize(40);
    const ui::ResourceEntry broken[] = {{152, cut.data(), cut.size()}};
    ui::RegisterResources(broken, 1);
    EXPECT_TRUE(button.LoadBitmaps(150, 152));
    ASSERT_TRUE(
        button.Create(nullptr, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 30, 30), &frame, 1));
    EXPECT_EQ(Face(), 0xFF0000u);
    host.PushPress(12, 12);
    host.PushAction([&] { EXPECT_EQ(Face(), 0xFF0000u); });  // no down image: up stays
    host.PushRelease(12, 12);
    ui::RunMessageLoop();
    EXPECT_EQ(button.DownBitmap().GetSafeHandle(), nullptr);
}

}  // namespace
