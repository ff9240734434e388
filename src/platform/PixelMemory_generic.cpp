#include "platform/PixelMemory.h"

namespace kelvaris {

// Qt's own allocation: elsewhere large pages need privileges a desktop
// program does not have.
QImage newRgb32Image(int width, int height)
{
    return QImage(width, height, QImage::Format_RGB32);
}

void setHugePagesOnThisThread(bool) {}

void releaseSparePixelMemory(std::chrono::seconds) {}

} // namespace kelvaris
