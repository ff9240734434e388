#include "view/PeakingOverlay.h"

#include "platform/PictureBox.h"
#include "view/Peaking.h"

#include <QEvent>
#include <QPainter>

namespace kelvaris {

// Magenta reads on white paper, on grey and in shadows, and is neither the
// red of the current shot nor the green of the reference.
const QColor PeakingOverlay::Colour(255, 0, 220);

PeakingOverlay::PeakingOverlay(PictureBox& frame, PictureBox& picture)
    : QWidget(frame.clientWidget()), m_pane(picture), m_client(frame.clientWidget())
{
    setObjectName(QStringLiteral("peakingOverlay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(m_client->rect());
    raise();
    m_client->installEventFilter(this);
    hide();
}

void PeakingOverlay::paintEvent(QPaintEvent*)
{
    const Picture& shown = m_pane.picture();
    if (!shown || shown->isNull())
        return;
    const QRect placed = m_pane.widget()->geometry();
    const double ratio = devicePixelRatioF();
    const QRect crop = paneCrop(rect(), placed, shown->size(), ratio);
    if (crop.isEmpty())
        return;
    if (m_picture.lock() != shown || crop != m_crop) {
        m_marks = focusPeaking(*shown, crop, Colour.rgb());
        m_picture = shown;
        m_crop = crop;
    }
    QPainter painter(this);
    const QPointF corner = QPointF(placed.topLeft()) + QPointF(crop.topLeft()) / ratio;
    painter.drawImage(QRectF(corner, QSizeF(crop.size()) / ratio), m_marks);
}

bool PeakingOverlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        setGeometry(m_client->rect());
    return false;
}

} // namespace kelvaris
