#include "platform/ProfileFile.h"

#include "platform/Ansi.h"
#include "platform/RegularFile.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace kelvaris {

namespace {

// White space around the names and values in the file; CR is none, since
// it ends a line.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

bool isSpace(char c)
{
    return c == ' ';
}

bool isBreak(char c)
{
    return c == '\r' || c == '\n';
}

template <typename Blank> QByteArrayView trimmedOf(QByteArrayView text, Blank blank)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// What is read from the file loses spaces, tabs and vertical tabs around it;
// a name the caller gives loses only its spaces, as with Windows, where a
// tab is part of the name asked for.
QByteArrayView trimmed(QByteArrayView text)
{
    return trimmedOf(text, isBlank);
}

QByteArrayView argument(QByteArrayView name)
{
    return trimmedOf(name, isSpace);
}

// One line of the file: [start, end) is its text, [end, next) its line ending
// ("\r\n", "\n", "\r", or nothing for a last line without one).
struct Line
{
    qsizetype start = 0;
    qsizetype end = 0;
    qsizetype next = 0;
};

// A name to look for, decoded once rather than at every line it is compared with.
class Name
{
public:
    explicit Name(const QByteArray& name)
        : m_bytes(argument(name)), m_text(fromWindows1252(m_bytes.toByteArray()))
    {
    }

    bool matches(QByteArrayView candidate) const
    {
        // Windows-1252 is one character a byte, so names of another length differ
        // whatever their case; most lines of a large file stop here.
        if (candidate.size() != m_bytes.size())
            return false;
        if (candidate == m_bytes)
            return true;
        return fromWindows1252(candidate.toByteArray()).compare(m_text, Qt::CaseInsensitive) == 0;
    }

private:
    QByteArrayView m_bytes;
    QString m_text;
};

// Where a key is, or would go, in the file.
struct Location
{
    bool sectionFound = false;
    Line header;
    Line lastKey; // the section's last line that is neither blank nor a comment, else its header
    bool keyFound = false;
    Line keyLine;
    qsizetype equals = -1; // offset of the key line's '='
};

class Scanner
{
public:
    explicit Scanner(const QByteArray& data) : m_data(data) {}

    bool atEnd() const { return m_pos >= m_data.size(); }

    // A lone CR ends a line as LF and CRLF do, as Windows reads the file.
    Line nextLine()
    {
        Line line;
        line.start = m_pos;
        const char* begin = m_data.constData();
        const char* end = begin + m_data.size();
        const char* brk = std::find_if(begin + m_pos, end, isBreak);
        line.end = brk - begin;
        line.next = line.end;
        if (brk != end)
            line.next += (*brk == '\r' && brk + 1 != end && brk[1] == '\n') ? 2 : 1;
        m_pos = line.next;
        return line;
    }

    QByteArrayView text(const Line& line) const
    {
        return QByteArrayView(m_data).sliced(line.start, line.end - line.start);
    }

private:
    const QByteArray& m_data;
    qsizetype m_pos = 0;
};

// A section header is '[' (after white space) up to the first ']' of the
// line, or up to the line's end when it has none, as Windows reads it: what
// follows the ']' is ignored.
bool sectionName(QByteArrayView text, QByteArrayView* name)
{
    const QByteArrayView content = trimmed(text);
    if (!content.startsWith('['))
        return false;
    const qsizetype close = content.indexOf(']');
    *name = trimmed(content.sliced(1, (close < 0 ? content.size() : close) - 1));
    return true;
}

// One pass over the file, ending at the first match of the key or at the end
// of the first section of the name; later duplicates are never looked at.
Location locate(const QByteArray& data, const QByteArray& section, const QByteArray& key)
{
    const Name wantedSection(section);
    const Name wantedKey(key);
    Location loc;
    Scanner scanner(data);
    bool inSection = false;
    while (!scanner.atEnd()) {
        const Line line = scanner.nextLine();
        const QByteArrayView text = scanner.text(line);
        QByteArrayView name;
        if (sectionName(text, &name)) {
            if (inSection)
                break;
            if (wantedSection.matches(name)) {
                inSection = true;
                loc.sectionFound = true;
                loc.header = line;
                loc.lastKey = line;
            }
            continue;
        }
        if (!inSection)
            continue;
        // A comment names no key, not even a key asked for with a ';'.
        const QByteArrayView content = trimmed(text);
        if (content.isEmpty() || content.startsWith(';'))
            continue;
        // New keys go after the last line of the section's content.
        loc.lastKey = line;
        // A line without '=' (a name left alone by a hand edit) is no key:
        // the key's real line may follow it.
        const qsizetype equals = text.indexOf('=');
        if (equals < 0)
            continue;
        if (wantedKey.matches(trimmed(text.first(equals)))) {
            loc.keyFound = true;
            loc.keyLine = line;
            loc.equals = line.start + equals;
            break;
        }
    }
    return loc;
}

QByteArray cut(QByteArrayView text, int size)
{
    if (size <= 0)
        return QByteArray();
    return text.first(std::min<qsizetype>(text.size(), size - 1)).toByteArray();
}

// The first line ending of the file, CRLF for a file that has none.
QByteArray fileLineEnding(const QByteArray& data)
{
    const auto brk = std::find_if(data.cbegin(), data.cend(), isBreak);
    if (brk == data.cend() || (*brk == '\r' && brk + 1 != data.cend() && brk[1] == '\n'))
        return QByteArrayLiteral("\r\n");
    return QByteArray(1, *brk);
}

// Names and values the file could not give back as written: a line break
// would start a new line, a ']' in a section would end its name early, as
// would an '=' in a key; a key beginning with '[' could read as a section
// header and one beginning with ';' as a comment; and a tab or vertical tab
// around a name would be trimmed by the reader while the name asked for
// keeps it.
bool writable(const QByteArray& section, const QByteArray& key, const QByteArray& value)
{
    const auto hasBreak = [](const QByteArray& text) {
        return text.contains('\n') || text.contains('\r');
    };
    const auto blankAround = [](QByteArrayView name) {
        return !name.isEmpty() && (isBlank(name.front()) || isBlank(name.back()));
    };
    if (hasBreak(section) || hasBreak(key) || hasBreak(value))
        return false;
    const QByteArrayView sectionName = argument(section);
    const QByteArrayView keyName = argument(key);
    if (sectionName.contains(']') || blankAround(sectionName))
        return false;
    return !keyName.contains('=') && !keyName.startsWith('[') && !keyName.startsWith(';') &&
           !blankAround(keyName);
}

QByteArray edited(const QByteArray& data, const QByteArray& section, const QByteArray& key,
                  const QByteArray& value)
{
    const Location loc = locate(data, section, key);
    const QByteArray eol = fileLineEnding(data);
    const QByteArrayView all(data);
    QByteArray out;
    out.reserve(data.size() + section.size() + key.size() + value.size() + 8);

    if (loc.keyFound) {
        const Line& line = loc.keyLine;
        out.append(all.first(loc.equals + 1));
        out.append(value);
        // The file's last line, without a line ending, gets one.
        out.append(line.next == line.end ? QByteArrayView(eol) : all.sliced(line.end));
        return out;
    }

    // New names are written without the spaces they were given with.
    const QByteArrayView keyName = argument(key);
    if (loc.sectionFound) {
        const Line& after = loc.lastKey;
        out.append(all.first(after.next));
        if (after.next == after.end) // the file's last line, without a line ending
            out.append(eol);
        out.append(keyName).append('=').append(value).append(eol);
        out.append(all.sliced(after.next));
        return out;
    }

    out.append(data);
    if (!data.isEmpty() && !isBreak(data.back()))
        out.append(eol);
    out.append('[').append(argument(section)).append(']').append(eol);
    out.append(keyName).append('=').append(value).append(eol);
    return out;
}

// "Read-only" as the user sees it: either the system refuses the write, or
// no write permission is set at all, which marks a file read-only even for
// a user (root) whom the system would let through.
bool isReadOnly(const QFileInfo& info)
{
    constexpr QFileDevice::Permissions anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return !info.isWritable() || !(info.permissions() & anyWrite);
}

} // namespace

QByteArray getPrivateProfileString(const QByteArray& section, const QByteArray& key,
                                   const QByteArray& defaultValue, int size,
                                   const QString& fileName)
{
    // Like Windows, the default loses its trailing blanks.
    QByteArrayView fallback(defaultValue);
    while (!fallback.isEmpty() && fallback.back() == ' ')
        fallback.chop(1);

    QByteArray data;
    if (!readRegularFile(fileName, &data))
        return cut(fallback, size);

    const Location loc = locate(data, section, key);
    if (!loc.keyFound)
        return cut(fallback, size);

    const QByteArrayView all(data);
    QByteArrayView value = trimmed(all.sliced(loc.equals + 1, loc.keyLine.end - loc.equals - 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return cut(value, size);
}

bool writePrivateProfileString(const QByteArray& section, const QByteArray& key,
                               const QByteArray& value, const QString& fileName)
{
    if (fileName.isEmpty() || !writable(section, key, value))
        return false;

    const QFileInfo info(fileName);
    // Through a link, the temporary file goes beside the file linked to.
    const QFileInfo dir(info.exists() ? QFileInfo(info.canonicalFilePath()).absolutePath()
                                      : info.absolutePath());
    if (!dir.isDir())
        return false;
    const bool dirReadOnly = isReadOnly(dir);

    QByteArray data;
    if (info.exists()) {
        if (!info.isFile() || isReadOnly(info))
            return false;
        if (!readRegularFile(fileName, &data))
            return false; // what we cannot read we must not overwrite
    } else if (dirReadOnly) {
        return false;
    }

    const QByteArray result = edited(data, section, key, value);
    if (info.exists() && result == data)
        return true;

    QSaveFile save(fileName);
    // Writing in place loses the all-or-nothing replacement, so only where a
    // temporary file cannot be made beside the file.
    save.setDirectWriteFallback(dirReadOnly);
    if (!save.open(QIODevice::WriteOnly))
        return false;
    if (save.write(result) != result.size()) {
        save.cancelWriting();
        return false;
    }
    return save.commit();
}

} // namespace kelvaris
