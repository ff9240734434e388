#pragma once

// The photographs that tools/sharpness_eval makes into focusing sessions,
// and how it classes a region of one, from its pixels alone.

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

namespace kelvaris::eval {

// The photographs of the Debian packages that tools/install-deps.sh
// installs (lomiri-wallpapers-16.04, mate-backgrounds), rendered pictures
// left out; `root` is where they lie (/usr/share/backgrounds).
QStringList photographs(const QString& root);

enum class RegionKind
{
    Flat,     // nothing a photographer could focus on
    Between,  // neither
    Detailed, // detail to focus on
};

// From the sharp photograph's green channel, independently of the measure:
// "detailed" when at least 5 % of the pixels have a gradient of 10 levels
// per pixel or more, "flat" when under 0.5 % reach 8.
RegionKind classify(const QImage& sharp, const QRect& region);

} // namespace kelvaris::eval
