#include "platform/CaptionLabel.h"

#include <QPainter>
#include <QStyle>

namespace kelvaris {

void CaptionLabel::setElided(bool elided)
{
    m_elides = elided;
    textChanged();
}

bool CaptionLabel::isCut() const
{
    return m_elides && fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

void CaptionLabel::textChanged()
{
    if (m_elides)
        setToolTip(isCut() ? text() : QString());
    update();
}

void CaptionLabel::paintEvent(QPaintEvent* event)
{
    if (!isCut()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    style()->drawItemText(&painter, area, int(alignment()), palette(), isEnabled(), shown,
                          foregroundRole());
}

void CaptionLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    textChanged();
}

} // namespace kelvaris
