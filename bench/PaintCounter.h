#pragma once

#include <QEvent>
#include <QObject>
#include <QPaintEvent>

namespace kelvaris::bench {

// Counts the paint events of a widget and the pixels they expose, to make
// sure that a timing includes the painting it claims to include.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QObject* watched) : m_watched(watched)
    {
        watched->installEventFilter(this);
    }
    ~PaintCounter() override { m_watched->removeEventFilter(this); }

    int paints = 0;
    qint64 pixels = 0;

    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (object == m_watched && event->type() == QEvent::Paint) {
            ++paints;
            for (const QRect& rect : static_cast<QPaintEvent*>(event)->region())
                pixels += qint64(rect.width()) * rect.height();
        }
        return false;
    }

private:
    QObject* m_watched;
};

} // namespace kelvaris::bench
