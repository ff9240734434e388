#pragma once

#include <QImage>
#include <memory>

namespace kelvaris {

// A picture is shared and immutable: giving a control the picture of
// another control shares the decoded pixels, it never copies them.
using Picture = std::shared_ptr<const QImage>;

inline Picture makePicture(QImage image)
{
    return std::make_shared<const QImage>(std::move(image));
}

// Lets go of `picture` on a worker thread: when it was the last owner of a
// large shot, freeing its pixels (hundreds of megabytes in small pages)
// takes milliseconds that the GUI thread keeps for the user.
void releaseAside(Picture picture);

} // namespace kelvaris
