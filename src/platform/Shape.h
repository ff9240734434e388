#pragma once

#include "platform/Control.h"

namespace kelvaris {

// An outline rectangle drawn over its siblings. It takes no mouse input:
// presses go to whatever lies beneath it.
class Shape : public Control
{
public:
    Shape(QWidget* container, const QString& name, const QColor& colour);
};

} // namespace kelvaris
