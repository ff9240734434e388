#include "platform/PixelMemory.h"

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <sys/mman.h>
#include <utility>

namespace kelvaris {

namespace {

constexpr size_t HugePage = size_t(2) << 20;

thread_local bool hugePagesAllowed = true;

using Clock = std::chrono::steady_clock;

// The memory of the last large picture let go, kept for the next one of
// the same size. A new shot is decoded into memory whose pages are already
// mapped: on a virtual machine the first touch of each page costs nearly as
// much as decoding into it, and even elsewhere every fresh page is zeroed.
// Shots of a session are all of one size, so the shot before the one on
// screen gives its memory to the next. Kept a minute at most.
struct Spare
{
    std::mutex mutex;
    void* memory = nullptr;
    size_t bytes = 0;
    Clock::time_point since;

    // Takes the spare block if it has `bytes`; null otherwise.
    void* take(size_t wanted)
    {
        const std::lock_guard lock(mutex);
        if (!memory || bytes != wanted)
            return nullptr;
        bytes = 0;
        return std::exchange(memory, nullptr);
    }
    // Keeps `block` of `size` bytes, letting go of an older spare.
    void give(void* block, size_t size)
    {
        void* older = nullptr;
        {
            const std::lock_guard lock(mutex);
            older = std::exchange(memory, block);
            bytes = size;
            since = Clock::now();
        }
        std::free(older);
    }
    void trim(Clock::duration olderThan)
    {
        void* old = nullptr;
        {
            const std::lock_guard lock(mutex);
            if (memory && Clock::now() - since >= olderThan) {
                old = std::exchange(memory, nullptr);
                bytes = 0;
            }
        }
        std::free(old);
    }
};

Spare& spare()
{
    static Spare instance;
    return instance;
}

struct Block
{
    void* memory;
    size_t bytes;
};

} // namespace

void setHugePagesOnThisThread(bool allowed)
{
    hugePagesAllowed = allowed;
}

QImage newRgb32Image(int width, int height)
{
    const qsizetype bytesPerLine = qsizetype(width) * 4;
    const size_t bytes = size_t(bytesPerLine) * size_t(height);
    // Below two huge pages the rounding would waste more than it saves.
    if (width <= 0 || height <= 0 || bytes < 2 * HugePage || !hugePagesAllowed)
        return QImage(width, height, QImage::Format_RGB32);
    const size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
    void* memory = spare().take(rounded);
    if (!memory) {
        memory = std::aligned_alloc(HugePage, rounded);
        if (!memory)
            return QImage();
        // Only advice: without transparent huge pages the memory stays usable.
        madvise(memory, rounded, MADV_HUGEPAGE);
    }
    auto* block = new Block{memory, rounded};
    return QImage(
        static_cast<uchar*>(memory), width, height, bytesPerLine, QImage::Format_RGB32,
        [](void* p) {
            auto* done = static_cast<Block*>(p);
            spare().give(done->memory, done->bytes);
            delete done;
        },
        block);
}

void releaseSparePixelMemory(std::chrono::seconds unusedFor)
{
    spare().trim(unusedFor);
}

} // namespace kelvaris
