// Feeds arbitrary bytes to the shot decoder: whatever they are, it must
// neither crash nor leak, and a shot is taken exactly when it has a picture.

#include "capture/ShotLoader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const kelvaris::LoadedShot shot = kelvaris::decodeShot(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (shot.taken() != bool(shot.picture) || shot.taken() != shot.reason.isEmpty() ||
        (shot.picture && shot.picture->isNull()))
        std::abort();
    return 0;
}
