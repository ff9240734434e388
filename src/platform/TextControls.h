#pragma once

#include "platform/Control.h"
#include "platform/EventHandler.h"

class QLineEdit;
class QPushButton;

namespace kelvaris {

class CaptionLabel;

struct TextLook
{
    QColor foreground = Qt::black;
    QColor background; // invalid: the system's window colours (or transparent, for a label)
    Qt::Alignment alignment = Qt::AlignLeft;
    bool bold = false;
};

// A static caption on its container's background.
class Label : public Control
{
public:
    Label(QWidget* container, const QString& name, const QString& caption, const TextLook& look);
    QString caption() const;
    void setCaption(const QString& caption);
    // A caption too wide for the label is cut short with "…" and told whole
    // on hovering; caption() stays whole.
    void setElided(bool elided);

private:
    CaptionLabel* m_label;
};

// A single-line text box.
class TextBox : public Control
{
public:
    TextBox(QWidget* container, const QString& name, const TextLook& look, bool readOnly);
    QString text() const;
    void setText(const QString& text);
    QLineEdit* lineEdit() const { return m_edit; }

private:
    QLineEdit* m_edit;
};

// A push button with a caption; `&` marks the access key.
class CommandButton : public Control
{
public:
    CommandButton(QWidget* container, const QString& name, const QString& caption);
    EventHandler& click() { return m_click; }
    QPushButton* button() const { return m_button; }

private:
    QPushButton* m_button;
    EventHandler m_click;
};

} // namespace kelvaris
