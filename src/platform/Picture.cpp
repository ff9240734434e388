#include "platform/Picture.h"

#include <QThreadPool>

namespace kelvaris {

void releaseAside(Picture picture)
{
    if (!picture || picture.use_count() > 1)
        return; // others still show it: nothing is freed now
    QThreadPool::globalInstance()->start(
        [picture = std::move(picture)]() mutable { picture.reset(); });
}

} // namespace kelvaris
