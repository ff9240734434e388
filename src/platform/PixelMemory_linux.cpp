#include "platform/PixelMemory.h"

#include <cstdlib>
#include <sys/mman.h>

namespace kelvaris {

namespace {

thread_local bool hugePagesAllowed = true;

} // namespace

void setHugePagesOnThisThread(bool allowed)
{
    hugePagesAllowed = allowed;
}

QImage newRgb32Image(int width, int height)
{
    constexpr size_t hugePage = size_t(2) << 20;
    const qsizetype bytesPerLine = qsizetype(width) * 4;
    const size_t bytes = size_t(bytesPerLine) * size_t(height);
    // Below two huge pages the rounding would waste more than it saves.
    if (width <= 0 || height <= 0 || bytes < 2 * hugePage || !hugePagesAllowed)
        return QImage(width, height, QImage::Format_RGB32);
    const size_t rounded = (bytes + hugePage - 1) / hugePage * hugePage;
    void* memory = std::aligned_alloc(hugePage, rounded);
    if (!memory)
        return QImage();
    // Only advice: without transparent huge pages the memory stays usable.
    madvise(memory, rounded, MADV_HUGEPAGE);
    return QImage(
        static_cast<uchar*>(memory), width, height, bytesPerLine, QImage::Format_RGB32,
        [](void* p) { std::free(p); }, memory);
}

} // namespace kelvaris
