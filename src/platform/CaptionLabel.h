#pragma once

#include <QLabel>

namespace kelvaris {

// The widget of a Label. A label that elides shows a caption too wide for
// it cut short with "…", and then tells it whole in its tooltip; its text
// stays whole, as set.
class CaptionLabel : public QLabel
{
public:
    CaptionLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

    void setElided(bool elided);
    bool elides() const { return m_elides; }
    // Whether the caption is cut short now.
    bool isCut() const;
    // Call after each change of the text.
    void textChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool m_elides = false;
};

} // namespace kelvaris
