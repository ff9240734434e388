#pragma once

#include "platform/Control.h"

namespace kelvaris {

// An outline rectangle drawn over its siblings. It takes no mouse input:
// presses go to whatever lies beneath it.
class Shape : public Control
{
public:
    // A dashed outline lets a solid one beneath it show through, where two
    // shapes mark the same box.
    Shape(QWidget* container, const QString& name, const QColor& colour, bool dashed = false);
};

} // namespace kelvaris
