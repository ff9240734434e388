#include "capture/QualityFigure.h"

#include <QRegularExpression>

namespace kelvaris {

QString qualityFigure(qint64 fileSizeBytes)
{
    return QString::number(fileSizeBytes).left(4);
}

double leadingNumber(const QString& text)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*([+-]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d+)?)"));
    const QRegularExpressionMatch match = number.match(text);
    return match.hasMatch() ? match.captured(1).toDouble() : 0.0;
}

} // namespace kelvaris
