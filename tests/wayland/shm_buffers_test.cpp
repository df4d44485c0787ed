// The Wayland host's shared-memory buffers against a real compositor's
// wl_shm: a buffer made ahead keeps what is written into it while its memory
// is faulted in, the buffer of the last commit is the one a re-commit
// without a new picture reuses, only at its own size, and the picture is
// composed in a buffer the compositor does not hold, keeping all it shows.
#include "platform/host/wayland/shm_buffers.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <future>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/background_jobs.h"
#include "tests/wayland/compositor.h"

namespace wltest {
namespace {

struct ShmClient {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_shm* shm = nullptr;

    ~ShmClient() {
        if (shm) wl_shm_destroy(shm);
        if (registry) wl_registry_destroy(registry);
        if (display) wl_display_disconnect(display);
    }

    bool Connect(const std::string& socket) {
        display = wl_display_connect(socket.c_str());
        if (!display) return false;
        registry = wl_display_get_registry(display);
        static const wl_registry_listener listener = {
            [](void* data, wl_registry* r, uint32_t name, const char* interface, uint32_t) {
                auto* self = static_cast<ShmClient*>(data);
                if (std::string_view(interface) == wl_shm_interface.name && !self->shm)
                    self->shm = static_cast<wl_shm*>(wl_registry_bind(r, name, &wl_shm_interface, 1));
            },
            [](void*, wl_registry*, uint32_t) {}};
        wl_registry_add_listener(registry, &listener, this);
        return wl_display_roundtrip(display) >= 0 && shm;
    }
};

class ShmBuffersTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!SwayCompositor::Installed()) GTEST_SKIP() << "sway is not installed";
        std::string error;
        sway_ = SwayCompositor::Start(&error);
        ASSERT_TRUE(sway_) << error;
        ASSERT_TRUE(client_.Connect(sway_->WaylandSocketPath()));
    }
    std::unique_ptr<SwayCompositor> sway_;
    ShmClient client_;
};

std::uint32_t Pattern(std::size_t i) {
    return static_cast<std::uint32_t>(i * 2654435761u);
}

TEST_F(ShmBuffersTest, APreparedBufferIsTheFirstAcquiredAndKeepsWhatIsWritten) {
    host::wayland::ShmBuffers buffers(client_.shm);
    constexpr int kWidth = 1920, kHeight = 1080;
    const std::size_t count = static_cast<std::size_t>(kWidth) * kHeight;
    buffers.Prepare(kWidth, kHeight);
    host::wayland::ShmBuffer* first = buffers.Acquire(kWidth, kHeight);
    ASSERT_NE(first, nullptr);
    // Half written while the memory may still be being faulted in, half
    // before a second fault-in, which must leave both halves alone.
    for (std::size_t i = 0; i < count / 2; ++i) first->pixels()[i] = Pattern(i);
    first->FinishPrefault();
    for (std::size_t i = count / 2; i < count; ++i) first->pixels()[i] = Pattern(i);
    first->Prefault();
    first->FinishPrefault();
    EXPECT_EQ(buffers.Acquire(kWidth, kHeight), first);
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < count; ++i)
        wrong += first->pixels()[i] != static_cast<std::uint32_t>(i * 2654435761u);
    EXPECT_EQ(wrong, 0u);
}

TEST_F(ShmBuffersTest, TheLastCommittedBufferIsFoundOnlyAtItsSize) {
    host::wayland::ShmBuffers buffers(client_.shm);
    EXPECT_EQ(buffers.LastCommitted(64, 48), nullptr);  // nothing committed yet

    host::wayland::ShmBuffer* a = buffers.Acquire(64, 48);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(buffers.LastCommitted(64, 48), nullptr);  // acquired, not committed
    ASSERT_NE(a->TakeForCommit(), nullptr);
    EXPECT_EQ(buffers.LastCommitted(64, 48), a);
    EXPECT_EQ(buffers.LastCommitted(48, 64), nullptr);

    // The compositor still holds a: the next picture goes into another one,
    // which is then the last committed.
    host::wayland::ShmBuffer* b = buffers.Acquire(64, 48);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(b, a);
    EXPECT_EQ(buffers.LastCommitted(64, 48), a);
    b->TakeForCommit();
    EXPECT_EQ(buffers.LastCommitted(64, 48), b);
}

TEST_F(ShmBuffersTest, AThreadWaitingForAnEarlierJobFaultsTheBufferInAndWhatIsWrittenStays) {
    // The background thread is busy (as with the fonts' set-up) until the
    // gate opens; the waiting thread waits for a step offered after the
    // buffer's.
    std::promise<void> gate;
    std::future<void> busy =
        platform::RunInBackground([opened = gate.get_future().share()] { opened.wait(); });
    host::wayland::ShmBuffers buffers(client_.shm);
    constexpr int kWidth = 1920, kHeight = 1080;
    const std::size_t count = static_cast<std::size_t>(kWidth) * kHeight;
    buffers.Prepare(kWidth, kHeight);
    host::wayland::ShmBuffer* buffer = buffers.Acquire(kWidth, kHeight);
    ASSERT_NE(buffer, nullptr);
    for (std::size_t i = 0; i < count / 2; ++i) buffer->pixels()[i] = Pattern(i);
    std::promise<void> reached;
    std::future<void> offers_done = reached.get_future();
    platform::OfferWaitWork([&reached] {
        reached.set_value();
        return false;
    });
    platform::WaitDoingOfferedWork(offers_done);

    // The half nobody wrote is in memory: the waiting thread put it there,
    // since the background job cannot start before the gate opens.
    const long page = sysconf(_SC_PAGESIZE);
    char* second_half = reinterpret_cast<char*>(buffer->pixels() + count / 2);
    char* start = second_half + (page - reinterpret_cast<std::uintptr_t>(second_half) % page) % page;
    const std::size_t length =
        static_cast<std::size_t>(reinterpret_cast<char*>(buffer->pixels() + count) - start);
    std::vector<unsigned char> resident((length + page - 1) / page);
    ASSERT_EQ(mincore(start, length, resident.data()), 0);
    EXPECT_EQ(std::count_if(resident.begin(), resident.end(), [](unsigned char r) { return (r & 1) == 0; }),
              0);

    gate.set_value();
    busy.get();
    buffer->FinishPrefault();
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < count / 2; ++i) wrong += buffer->pixels()[i] != Pattern(i);
    for (std::size_t i = count / 2; i < count; ++i) wrong += buffer->pixels()[i] != 0;
    EXPECT_EQ(wrong, 0u);
}

// Fills rows [top, bottom) of the picture with colour, and reports them as
// changed, as the framework and the host do for each frame.
void DrawBand(host::wayland::ShmBuffers& buffers, gdi::Surface& picture, int top, int bottom,
              gdi::Pixel colour) {
    gdi::Pixel* rows = picture.rows(top, bottom);
    std::fill(rows, rows + static_cast<std::size_t>(bottom - top) * picture.width(), colour);
    buffers.AddDamage({0, top, picture.width(), bottom});
}

std::size_t Differing(const gdi::Surface& a, const std::vector<gdi::Pixel>& expected) {
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) wrong += std::as_const(a).pixels()[i] != expected[i];
    return wrong;
}

TEST_F(ShmBuffersTest, APictureTheCompositorHoldsMovesWithAllItShowsAndIsNeverDrawnInto) {
    host::wayland::ShmBuffers buffers(client_.shm);
    constexpr int kWidth = 64, kHeight = 48;
    std::vector<gdi::Pixel> expected(static_cast<std::size_t>(kWidth) * kHeight, 0);
    std::vector<const gdi::Surface*> held;       // the pictures of committed buffers
    std::vector<std::vector<gdi::Pixel>> shown;  // what each showed when committed
    const auto band = [&](gdi::Surface& picture, int top, int bottom, gdi::Pixel colour) {
        DrawBand(buffers, picture, top, bottom, colour);
        std::fill(expected.begin() + top * kWidth, expected.begin() + bottom * kWidth, colour);
    };

    bool moved = true;
    gdi::Surface* picture = buffers.PictureFor(kWidth, kHeight, &moved);
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(moved);
    band(*picture, 0, kHeight, 0x102030);
    // Three frames committed in turn: nothing is released, so each goes into
    // the next free buffer, which first takes the picture over.
    for (int frame = 1; frame <= 3; ++frame) {
        host::wayland::ShmBuffer* committed = buffers.TakeComposedInPlace();
        ASSERT_NE(committed, nullptr) << frame;
        EXPECT_EQ(committed->picture(), picture);
        EXPECT_EQ(Differing(*committed->picture(), expected), 0u) << frame;
        ASSERT_NE(committed->TakeForCommit(), nullptr);
        held.push_back(committed->picture());
        shown.push_back(expected);

        gdi::Surface* next = buffers.PictureFor(kWidth, kHeight, &moved);
        ASSERT_NE(next, nullptr) << frame;
        EXPECT_TRUE(moved) << frame;
        EXPECT_EQ(std::find(held.begin(), held.end(), next), held.end()) << "drew into a held buffer";
        EXPECT_EQ(Differing(*next, expected), 0u) << "frame " << frame << " lost the picture";
        picture = next;
        band(*picture, frame * 10, frame * 10 + 4, 0xFF0000 + static_cast<gdi::Pixel>(frame));
    }
    // All three held: the picture went into memory of our own, which has no
    // buffer to commit in place and stays the picture.
    EXPECT_EQ(buffers.TakeComposedInPlace(), nullptr);
    EXPECT_EQ(buffers.PictureFor(kWidth, kHeight, &moved), picture);
    EXPECT_FALSE(moved);
    EXPECT_EQ(Differing(*picture, expected), 0u);
    // The held buffers still hold what they had when committed.
    for (std::size_t i = 0; i < held.size(); ++i) EXPECT_EQ(Differing(*held[i], shown[i]), 0u) << i;

    // Another size is a new picture.
    gdi::Surface* other = buffers.PictureFor(kHeight, kWidth, &moved);
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(moved);
    EXPECT_EQ(other->width(), kHeight);
}

TEST_F(ShmBuffersTest, APictureComposedInPlaceIsWrittenOutBeforeItIsCommitted) {
    host::wayland::ShmBuffers buffers(client_.shm);
    bool moved = false;
    gdi::Surface* picture = buffers.PictureFor(32, 16, &moved);
    ASSERT_NE(picture, nullptr);
    // A whole-surface fill and columns wait in the surface until read.
    picture->Fill(0x00FF00);
    picture->AddColumn(3, 0, 16, 0x0000FF);
    buffers.AddDamage({0, 0, 32, 16});
    host::wayland::ShmBuffer* committed = buffers.TakeComposedInPlace();
    ASSERT_NE(committed, nullptr);
    std::size_t wrong = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x)
            wrong += committed->pixels()[y * 32 + x] != (x == 3 ? 0x0000FFu : 0x00FF00u);
    }
    EXPECT_EQ(wrong, 0u);
}

}  // namespace
}  // namespace wltest
