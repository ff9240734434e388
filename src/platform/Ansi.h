#pragma once

#include <QByteArray>
#include <QString>

namespace kelvaris {

// The settings file is in the Windows-1252 code page ("é" is the single
// byte E9), so that a file written by the Windows build reads here and the
// other way round.
//
// A text that Windows-1252 cannot hold (a Greek or Japanese folder name)
// is written as UTF-8 instead of being lost. On reading, bytes are taken
// as UTF-8 only when they are valid UTF-8 *and* decode to a character that
// Windows-1252 cannot hold, so every Windows-1252 text, and every text we
// wrote, reads back exactly as it was. The one exception, accepted as too
// rare to matter, is a Windows-1252 text whose bytes also happen to spell
// such a character in UTF-8 (a capital like "Ð" right before a symbol like
// "¿": D0 BF is the UTF-8 of the Cyrillic "п").
QByteArray toAnsi(const QString& text);
QString fromAnsi(const QByteArray& bytes);

// fromAnsi() for bytes that may have been cut after any byte, as a read of
// a value longer than the room offered is: a text written as UTF-8 and cut
// inside its last character reads as UTF-8 without that character, instead
// of as Windows-1252 bytes.
QString fromAnsiCut(const QByteArray& bytes);

// Plain Windows-1252 conversions. A character outside the code page
// becomes '?'; bytes 81, 8D, 8F, 90 and 9D map to the C1 controls of the
// same number, as Windows does.
QByteArray toWindows1252(const QString& text, bool* lossless = nullptr);
QString fromWindows1252(const QByteArray& bytes);

} // namespace kelvaris
