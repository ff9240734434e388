#pragma once

#include "platform/Control.h"

#include <functional>

class QCheckBox;

namespace kelvaris {

// A check box with its caption, for a switch of the program's own. It never
// takes the keyboard's focus: the window's keys stay the photographer's.
class CheckBox : public Control
{
public:
    CheckBox(QWidget* container, const QString& name, const QString& caption);

    bool isChecked() const;
    // Sets the box without calling `toggled`.
    void setChecked(bool checked);
    QCheckBox* checkBox() const { return m_box; }

    // Called when the user ticks or unticks the box.
    std::function<void(bool checked)> toggled;

private:
    QCheckBox* m_box;
};

} // namespace kelvaris
