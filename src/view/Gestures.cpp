#include "view/Gestures.h"

#include "platform/Twips.h"

namespace kelvaris {

float dragged(float position, float pointer, std::int32_t grab)
{
    return static_cast<float>((double(position) + pointer) - grab);
}

float recentred(float frameSide, float position, std::int32_t grab)
{
    // The picture coordinate under the frame's centre.
    const std::int32_t centre = toInt32(frameSide / 2.0 - position);
    return static_cast<float>((double(position) + centre) - grab);
}

std::int32_t centredFromOverview(float frameSide, float pictureSide, float overviewSide,
                                 float pointer)
{
    const std::int32_t point = toInt32(double(pictureSide) * pointer / overviewSide);
    std::int32_t position = toInt32(frameSide / 2.0 - point);
    if (position > 0)
        position = 0;
    // Applied second, so it wins for a picture smaller than its frame.
    if (double(frameSide) - pictureSide > position)
        position = toInt32(double(frameSide) - pictureSide);
    return position;
}

} // namespace kelvaris
