// The Wayland host's shared-memory buffers against a real compositor's
// wl_shm: a buffer made ahead keeps what is written into it while its memory
// is faulted in, and the buffer of the last commit is the one a re-commit
// without a new picture reuses, only at its own size.
#include "platform/host/wayland/shm_buffers.h"

#include <gtest/gtest.h>
#include <wayland-client.h>

#include <cstring>
#include <string_view>

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

}  // namespace
}  // namespace wltest
