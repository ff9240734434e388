#pragma once

#include <QString>

namespace kelvaris {

// The quality figure of a shot: the first four characters of the decimal
// text of its file size in bytes. A sharper shot compresses less, so its
// file is larger; the figure ignores how many digits the size has.
QString qualityFigure(qint64 fileSizeBytes);

// The number read from the start of `text` as a decimal number (leading
// blanks skipped); 0 when the text starts with no number.
double leadingNumber(const QString& text);

} // namespace kelvaris
