// Shared-memory buffers for a surface: a few of the current size, each
// either free for drawing or held by the compositor until it releases it.
#pragma once

#include <cstdint>
#include <future>
#include <memory>
#include <vector>

#include "platform/gdi/damage.h"
#include "platform/gdi/surface.h"

struct wl_buffer;
struct wl_shm;

namespace host::wayland {

class ShmBuffer;

class ShmBuffers {
public:
    explicit ShmBuffers(wl_shm* shm) : shm_(shm) {}
    ~ShmBuffers();
    ShmBuffers(const ShmBuffers&) = delete;
    ShmBuffers& operator=(const ShmBuffers&) = delete;

    // A buffer of width x height the compositor does not hold, made if
    // needed; null when all are held (wait for a release) or memory fails.
    ShmBuffer* Acquire(int width, int height);
    // Makes a free buffer of width x height ahead of the first picture and
    // faults its memory in on the background thread meanwhile (after the
    // work queued there before, such as the fonts' set-up), so that the
    // first copy into it does not wait for thousands of page faults.
    void Prepare(int width, int height);
    // The buffer of the last commit when it is width x height, else null.
    // It still holds what was committed, held by the compositor or not, so
    // committing it again shows the same picture without a copy.
    ShmBuffer* LastCommitted(int width, int height) const;
    // Called when the compositor releases a buffer.
    void SetReleaseHandler(void (*handler)(void* data), void* data);
    // The picture changed in area: every buffer, held or free, is out of
    // date there until it is next drawn.
    void AddDamage(const gdi::Rect& area);

    // The surface the next picture is composed in, width x height; null
    // when none can be had. At the size of the last it holds the last
    // picture: the buffer that has it while the compositor does not hold
    // that buffer, else a free buffer brought up to date where it is stale,
    // else, while every buffer is held, memory of our own. *moved tells
    // whether it is another surface than the last call's. A new size starts
    // a new picture, which no buffer holds any of. A buffer the compositor
    // holds is never handed out for drawing.
    gdi::Surface* PictureFor(int width, int height, bool* moved);
    // The surface of the last PictureFor, or null.
    gdi::Surface* Picture() const;
    // The buffer the picture was composed in, ready to commit as it is,
    // when the compositor does not hold it; else null (the picture must be
    // copied into a buffer).
    ShmBuffer* TakeComposedInPlace();

private:
    friend class ShmBuffer;
    void Released(ShmBuffer* buffer);

    wl_shm* shm_;
    std::vector<std::unique_ptr<ShmBuffer>> buffers_;
    void (*on_release_)(void*) = nullptr;
    void* release_data_ = nullptr;
    ShmBuffer* last_committed_ = nullptr;
    // Where the picture is: in a buffer, or else in memory of our own.
    ShmBuffer* picture_buffer_ = nullptr;
    gdi::SurfacePtr own_picture_;
};

// The pixels of area (inside both) from one surface into another of the
// same size, through the surfaces' accessors, so that nothing either still
// keeps waiting or knows of its rows goes stale.
void CopyPicture(const gdi::Surface& from, gdi::Surface& to, const gdi::Rect& area);

class ShmBuffer {
public:
    ShmBuffer(ShmBuffers* owner, int width, int height);
    // Waits for a prefault still running before the memory goes.
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    bool ok() const { return buffer_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    // 0x00RRGGBB words, row after row, no padding.
    std::uint32_t* pixels() { return static_cast<std::uint32_t*>(data_); }
    // The same pixels as a surface to compose a picture in, while the
    // compositor does not hold the buffer; null when !ok().
    gdi::Surface* picture() { return picture_.get(); }
    // The compositor has it from the next commit until it releases it.
    wl_buffer* TakeForCommit();
    bool held() const { return held_; }
    // What must be copied in before the buffer shows the current picture:
    // everything in a new buffer, else the damage since it was last drawn.
    // Afterwards it is up to date.
    gdi::Rect TakeStale() { return stale_.Take({0, 0, width_, height_}); }
    // Faults the memory in on the background thread, and, from the other
    // end, on a thread that waits for an earlier background job meanwhile
    // (platform::OfferWaitWork); its contents stay as they are.
    void Prefault();
    // Waits until a prefault under way has finished.
    void FinishPrefault();

private:
    friend class ShmBuffers;
    static void OnRelease(void* data, wl_buffer* buffer);

    ShmBuffers* owner_;
    int width_;
    int height_;
    void* data_ = nullptr;
    std::size_t size_ = 0;
    int fd_ = -1;  // the memory's file, open while the buffer is
    wl_buffer* buffer_ = nullptr;
    bool held_ = false;
    gdi::Damage stale_;
    gdi::SurfacePtr picture_;
    struct FaultIn;
    std::shared_ptr<FaultIn> fault_in_;
    std::future<void> prefault_;
};

}  // namespace host::wayland
