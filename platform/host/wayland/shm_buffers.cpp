#include "platform/host/wayland/shm_buffers.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <mutex>
#include <utility>

#include "platform/background_jobs.h"

namespace host::wayland {
namespace {

// Two to draw in turn, a third while the compositor keeps two.
constexpr std::size_t kMaxBuffers = 3;
// The memory is faulted in this much at a time.
constexpr std::size_t kFaultInStep = std::size_t{256} << 10;

}  // namespace

// The fault-in of a buffer's memory, shared by the background job, which
// works up from the last row, and a thread waiting for an earlier job, which
// works down from the first row while it waits. They stop where they meet;
// a step both happen to take is done twice, which changes nothing.
struct ShmBuffer::FaultIn {
    char* data = nullptr;
    std::size_t size = 0;
    int fd = -1;
    std::atomic<std::size_t> top{0};  // [0, top) is done
    std::atomic<std::size_t> bottom;  // [bottom, size) is done
    // Steps from the top stop once the buffer is going; the buffer waits for
    // the background job itself.
    std::mutex mutex;
    bool mapped = true;

    FaultIn(char* d, std::size_t s, int f) : data(d), size(s), fd(f), bottom(s) {}

    // Gives the file its pages (fallocate keeps what a page holds, and
    // allocates the rest together, with less work per page than a fault
    // does), then maps them. Advice only: where the kernel lacks either, the
    // first writes fault instead. False when mapping ahead does not work.
    bool Range(std::size_t lo, std::size_t hi) const {
        fallocate(fd, 0, static_cast<off_t>(lo), static_cast<off_t>(hi - lo));
        return madvise(data + lo, hi - lo, MADV_POPULATE_WRITE) == 0;
    }
};

ShmBuffers::~ShmBuffers() = default;

ShmBuffer* ShmBuffers::Acquire(int width, int height) {
    // Buffers of another size are dropped once the compositor lets go.
    std::erase_if(buffers_, [&](const std::unique_ptr<ShmBuffer>& b) {
        const bool drop = !b->held() && (b->width() != width || b->height() != height);
        if (drop && b.get() == last_committed_) last_committed_ = nullptr;
        if (drop && b.get() == picture_buffer_) picture_buffer_ = nullptr;
        return drop;
    });
    for (auto& b : buffers_) {
        if (!b->held()) return b.get();
    }
    if (buffers_.size() >= kMaxBuffers) return nullptr;
    auto made = std::make_unique<ShmBuffer>(this, width, height);
    if (!made->ok()) return nullptr;
    buffers_.push_back(std::move(made));
    return buffers_.back().get();
}

ShmBuffer* ShmBuffers::LastCommitted(int width, int height) const {
    if (!last_committed_ || last_committed_->width() != width || last_committed_->height() != height)
        return nullptr;
    return last_committed_;
}

void ShmBuffers::Prepare(int width, int height) {
    if (ShmBuffer* b = Acquire(width, height)) b->Prefault();
}

void ShmBuffers::SetReleaseHandler(void (*handler)(void* data), void* data) {
    on_release_ = handler;
    release_data_ = data;
}

void ShmBuffers::AddDamage(const gdi::Rect& area) {
    for (auto& b : buffers_) b->stale_.Add(area);
}

gdi::Surface* ShmBuffers::Picture() const {
    return picture_buffer_ ? picture_buffer_->picture() : own_picture_.get();
}

gdi::Surface* ShmBuffers::PictureFor(int width, int height, bool* moved) {
    *moved = false;
    gdi::Surface* now = Picture();
    if (!now || now->width() != width || now->height() != height) {
        picture_buffer_ = nullptr;
        own_picture_.reset();
        AddDamage({0, 0, width, height});
        ShmBuffer* free_buffer = Acquire(width, height);
        if (free_buffer && free_buffer->picture()) {
            picture_buffer_ = free_buffer;
        } else {
            own_picture_ = gdi::Surface::Create(width, height);
        }
        return Picture();
    }
    if (picture_buffer_ && !picture_buffer_->held()) return now;
    ShmBuffer* free_buffer = Acquire(width, height);
    if (free_buffer && free_buffer->picture()) {
        CopyPicture(*now, *free_buffer->picture(), free_buffer->TakeStale());
        picture_buffer_ = free_buffer;
        own_picture_.reset();
        *moved = true;
        return Picture();
    }
    if (own_picture_) return now;
    gdi::SurfacePtr own = gdi::Surface::Create(width, height);
    if (!own) return nullptr;  // the held buffer must not be drawn into either
    CopyPicture(*now, *own, {0, 0, width, height});
    picture_buffer_ = nullptr;
    own_picture_ = std::move(own);
    *moved = true;
    return Picture();
}

ShmBuffer* ShmBuffers::TakeComposedInPlace() {
    if (!picture_buffer_ || picture_buffer_->held()) return nullptr;
    // The compositor reads the memory itself: whatever the surface still
    // keeps waiting is written out first.
    std::as_const(*picture_buffer_->picture()).pixels();
    picture_buffer_->TakeStale();  // it is the picture
    return picture_buffer_;
}

void CopyPicture(const gdi::Surface& from, gdi::Surface& to, const gdi::Rect& area) {
    if (area.IsEmpty()) return;
    const auto top = static_cast<int>(area.top);
    const auto bottom = static_cast<int>(area.bottom);
    const std::size_t bytes = static_cast<std::size_t>(area.Width()) * sizeof(gdi::Pixel);
    const gdi::Pixel* in = from.row(top);
    gdi::Pixel* out = to.rows(top, bottom);
    const auto stride = static_cast<std::size_t>(from.width());
    for (int y = top; y < bottom; ++y) {
        const std::size_t at =
            static_cast<std::size_t>(y - top) * stride + static_cast<std::size_t>(area.left);
        std::memcpy(out + at, in + at, bytes);
    }
}

void ShmBuffers::Released(ShmBuffer* buffer) {
    buffer->held_ = false;
    if (on_release_) on_release_(release_data_);
}

ShmBuffer::ShmBuffer(ShmBuffers* owner, int width, int height)
    : owner_(owner), width_(width), height_(height) {
    stale_.Add({0, 0, width, height});
    if (width <= 0 || height <= 0 || width > std::numeric_limits<int>::max() / 4 / height) return;
    const int stride = width * 4;
    size_ = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
    const int fd = memfd_create("corvane-shm", MFD_CLOEXEC);
    if (fd < 0) return;
    if (ftruncate(fd, static_cast<off_t>(size_)) != 0) {
        close(fd);
        return;
    }
    void* data = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED) {
        close(fd);
        return;
    }
    data_ = data;
    fd_ = fd;
    wl_shm_pool* pool = wl_shm_create_pool(owner->shm_, fd, static_cast<int>(size_));
    buffer_ = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    static const wl_buffer_listener listener = {&ShmBuffer::OnRelease};
    if (buffer_) wl_buffer_add_listener(buffer_, &listener, this);
    if (buffer_) picture_ = gdi::Surface::CreateOver(pixels(), width, height);
}

ShmBuffer::~ShmBuffer() {
    if (fault_in_) {
        std::lock_guard lock(fault_in_->mutex);
        fault_in_->mapped = false;
    }
    FinishPrefault();
    picture_.reset();
    if (buffer_) wl_buffer_destroy(buffer_);
    if (data_) munmap(data_, size_);
    if (fd_ >= 0) close(fd_);
}

void ShmBuffer::Prefault() {
    if (!data_ || prefault_.valid()) return;
    if (fault_in_) {
        std::lock_guard lock(fault_in_->mutex);
        fault_in_->mapped = false;
    }
    fault_in_ = std::make_shared<FaultIn>(static_cast<char*>(data_), size_, fd_);
    // In steps: mapping holds the process's memory map, and the drawing
    // thread meanwhile maps and unmaps its own surfaces. From the last row
    // up: a picture composed from the top while this still runs faults its
    // first rows in itself and meets the steps halfway, instead of waiting
    // behind each of them.
    prefault_ = platform::RunInBackground([f = fault_in_] {
        for (;;) {
            const std::size_t hi = f->bottom.load();
            const std::size_t lo = std::max(hi > kFaultInStep ? hi - kFaultInStep : 0, f->top.load());
            if (lo >= hi || !f->Range(lo, hi)) return;
            f->bottom = lo;
        }
    });
    // Queued after the fonts' set-up, which the first page waits for: the
    // waiting thread does the first rows meanwhile.
    platform::OfferWaitWork([f = fault_in_] {
        std::lock_guard lock(f->mutex);
        const std::size_t lo = f->top.load();
        const std::size_t hi = std::min(lo + kFaultInStep, f->bottom.load());
        if (!f->mapped || lo >= hi || !f->Range(lo, hi)) return false;
        f->top = hi;
        return true;
    });
}

void ShmBuffer::FinishPrefault() {
    if (prefault_.valid()) prefault_.get();
}

wl_buffer* ShmBuffer::TakeForCommit() {
    held_ = true;
    owner_->last_committed_ = this;
    return buffer_;
}

void ShmBuffer::OnRelease(void* data, wl_buffer* buffer) {
    (void)buffer;
    auto* self = static_cast<ShmBuffer*>(data);
    self->owner_->Released(self);
}

}  // namespace host::wayland
