#include "platform/Ansi.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <utility>

namespace kelvaris {

namespace {

// Bytes 80..9F; the rest of the code page is the same as Latin-1. The five
// bytes Windows-1252 leaves undefined map to the C1 control of their number.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98..9F
};

char16_t decodeByte(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighTable[byte - 0x80];
    return byte;
}

// Returns the byte for `code`, or -1 when Windows-1252 has none.
int encodeChar(char16_t code)
{
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<int>(code);
    for (std::size_t i = 0; i < kHighTable.size(); ++i) {
        if (kHighTable[i] == code)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

bool isAscii(const QByteArray& bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// The text of `bytes` when they are the UTF-8 form of a text that
// Windows-1252 cannot hold: the form toAnsi() falls back to.
bool fallbackText(const QByteArray& bytes, QString* text)
{
    // Keep an initial byte order mark as a character: it is text we wrote.
    // Stateless, so that a sequence cut short at the end counts as an error.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom |
                                                     QStringDecoder::Flag::Stateless);
    QString utf8 = decoder.decode(bytes);
    if (decoder.hasError())
        return false;
    // A text the code page can hold was written in the code page, so bytes
    // like C3 A9 are the two characters "Ã©", not "é".
    bool lossless = true;
    toWindows1252(utf8, &lossless);
    if (lossless)
        return false;
    *text = std::move(utf8);
    return true;
}

// How many bytes at the end of `bytes` begin a UTF-8 sequence they do not
// finish: a lead byte followed by fewer continuation bytes than it announces.
qsizetype unfinishedUtf8(const QByteArray& bytes)
{
    const auto isContinuation = [](unsigned char c) { return (c & 0xC0) == 0x80; };
    for (qsizetype tail = 1; tail <= std::min<qsizetype>(3, bytes.size()); ++tail) {
        const auto c = static_cast<unsigned char>(bytes[bytes.size() - tail]);
        if (isContinuation(c))
            continue;
        const qsizetype length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return tail < length ? tail : 0;
    }
    return 0;
}

} // namespace

QByteArray toWindows1252(const QString& text, bool* lossless)
{
    QByteArray out;
    out.reserve(text.size());
    bool exact = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int byte = encodeChar(text.at(i).unicode());
        if (byte >= 0) {
            out.append(static_cast<char>(byte));
            continue;
        }
        exact = false;
        out.append('?');
        // One '?' per character, not per UTF-16 unit.
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    if (lossless)
        *lossless = exact;
    return out;
}

QString fromWindows1252(const QByteArray& bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        dst[i] = QChar(decodeByte(static_cast<unsigned char>(bytes[i])));
    return out;
}

QByteArray toAnsi(const QString& text)
{
    bool lossless = true;
    QByteArray bytes = toWindows1252(text, &lossless);
    if (lossless)
        return bytes;
    // The UTF-8 form necessarily holds a character outside the code page,
    // which is what makes fromAnsi() read it back as UTF-8.
    return text.toUtf8();
}

QString fromAnsi(const QByteArray& bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QString text;
    return fallbackText(bytes, &text) ? text : fromWindows1252(bytes);
}

QString fromAnsiCut(const QByteArray& bytes)
{
    // Only when the bytes before the unfinished character are the UTF-8 of
    // our fallback was a character cut; a Windows-1252 text ending in "é"
    // (E9, which would begin a three-byte sequence) keeps its "é".
    const qsizetype unfinished = unfinishedUtf8(bytes);
    QString text;
    if (unfinished > 0 && fallbackText(bytes.first(bytes.size() - unfinished), &text))
        return text;
    return fromAnsi(bytes);
}

} // namespace kelvaris
