#include "platform/TextControls.h"

#include "platform/CaptionLabel.h"
#include "platform/ControlLook.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kelvaris {

namespace {

void applyLook(QWidget* widget, const TextLook& look)
{
    widget->setFont(controlFont(look.bold));
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, look.foreground);
    palette.setColor(QPalette::Text, look.foreground);
    if (look.background.isValid()) {
        palette.setColor(QPalette::Base, look.background);
        palette.setColor(QPalette::Window, look.background);
    }
    widget->setPalette(palette);
}

} // namespace

Label::Label(QWidget* container, const QString& name, const QString& caption, const TextLook& look)
    : Control(new CaptionLabel(caption, container), name),
      m_label(static_cast<CaptionLabel*>(widget()))
{
    applyLook(m_label, look);
    m_label->setAlignment(look.alignment | Qt::AlignTop);
}

QString Label::caption() const
{
    return m_label->text();
}

void Label::setCaption(const QString& caption)
{
    m_label->setText(caption);
    m_label->textChanged();
}

void Label::setElided(bool elided)
{
    m_label->setElided(elided);
}

TextBox::TextBox(QWidget* container, const QString& name, const TextLook& look, bool readOnly)
    : Control(new QLineEdit(container), name), m_edit(static_cast<QLineEdit*>(widget()))
{
    applyLook(m_edit, look);
    m_edit->setAlignment(look.alignment | Qt::AlignVCenter);
    m_edit->setReadOnly(readOnly);
    // Boxes are a few pixels high at design size (16 px for a 15 px line of
    // text): a sunken frame would take the descenders ("séance_2024" would
    // read "séance 2024"). The boxes are flat, marked by their own colour.
    m_edit->setFrame(false);
    m_edit->setTextMargins(2, 0, 2, 0);
    m_edit->setContentsMargins(0, 0, 0, 0);
    if (readOnly)
        m_edit->setFocusPolicy(Qt::NoFocus);
}

QString TextBox::text() const
{
    return m_edit->text();
}

void TextBox::setText(const QString& text)
{
    m_edit->setText(text);
    m_edit->setCursorPosition(0);
}

CommandButton::CommandButton(QWidget* container, const QString& name, const QString& caption)
    : Control(new QPushButton(caption, container), name),
      m_button(static_cast<QPushButton*>(widget()))
{
    m_button->setAutoDefault(false);
    // The focus comes from Tab, not from a click: a click leaves the
    // keyboard to the window it lies in.
    m_button->setFocusPolicy(Qt::TabFocus);
    QObject::connect(m_button, &QPushButton::clicked, m_button, [this] {
        if (m_click)
            m_click();
    });
}

} // namespace kelvaris
