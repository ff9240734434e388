#include "platform/CheckBox.h"

#include "platform/ControlLook.h"

#include <QCheckBox>

namespace kelvaris {

CheckBox::CheckBox(QWidget* container, const QString& name, const QString& caption)
    : Control(new QCheckBox(caption, container), name), m_box(static_cast<QCheckBox*>(widget()))
{
    m_box->setFont(controlFont());
    m_box->setFocusPolicy(Qt::NoFocus);
    // clicked, not toggled: a change made by the program calls nothing.
    QObject::connect(m_box, &QCheckBox::clicked, m_box, [this](bool checked) {
        if (toggled)
            toggled(checked);
    });
}

bool CheckBox::isChecked() const
{
    return m_box->isChecked();
}

void CheckBox::setChecked(bool checked)
{
    m_box->setChecked(checked);
}

} // namespace kelvaris
