#include "platform/FileList.h"

#include <QFile>

#include <algorithm>
#include <cstddef>
#include <string_view>

#ifdef _WIN32
#include <filesystem>
#include <system_error>
#else
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace kelvaris {

namespace {

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

void appendUnit(char16_t unit, std::string& keys)
{
    keys.push_back(static_cast<char>(unit >> 8));
    keys.push_back(static_cast<char>(unit & 0xff));
}

// Appends to `keys` the key a name sorts by: the name as the user sees it,
// each code point folded the way QString::compare(..., Qt::CaseInsensitive)
// folds it, written as big-endian UTF-16 so that memcmp on keys gives the
// order of the names ignoring case, without decoding inside the comparator.
// All keys share one buffer: thirty thousand small allocations and QString
// comparisons cost more than the sort itself.
void appendSortKey(const std::string& name, std::string& keys)
{
    bool ascii = true;
    for (char c : name) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        // Camera names are plain ASCII: decoding them is a copy, folding them a lower-casing.
        for (char c : name)
            appendUnit(static_cast<char16_t>(asciiLower(c)), keys);
        return;
    }
    const QString decoded =
        QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    for (char32_t c : decoded.toUcs4()) {
        const char32_t folded = QChar::toCaseFolded(c);
        if (QChar::requiresSurrogates(folded)) {
            appendUnit(QChar::highSurrogate(folded), keys);
            appendUnit(QChar::lowSurrogate(folded), keys);
        } else {
            appendUnit(static_cast<char16_t>(folded), keys);
        }
    }
}

#ifndef _WIN32
// Whether `name` in the open directory is a regular file or a link to one.
// The entry type usually answers; only links and file systems that do not
// report types cost a stat.
bool isRegularFile(DIR* dir, const dirent* entry)
{
#ifdef _DIRENT_HAVE_D_TYPE
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
#endif
    struct stat st;
    // A dangling link, or a file removed meanwhile, is simply not listed.
    if (fstatat(dirfd(dir), entry->d_name, &st, 0) != 0)
        return false;
    return S_ISREG(st.st_mode);
}
#endif

} // namespace

FileList::FileList(const QString& name, const QString& pattern) : m_name(name), m_pattern(pattern)
{
    // Only the extension of "*.ext" is compared; "*.*" and "*" take every
    // file, as the control does. Anything else is taken as a plain name.
    const QString trimmed = pattern.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String("*") || trimmed == QLatin1String("*.*")) {
        m_matchAll = true;
    } else if (trimmed.startsWith(QLatin1String("*."))) {
        const QByteArray ext = QFile::encodeName(trimmed.mid(2));
        m_wanted.assign(ext.constData(), static_cast<std::size_t>(ext.size()));
        m_byExtension = true;
    } else {
        const QByteArray whole = QFile::encodeName(trimmed);
        m_wanted.assign(whole.constData(), static_cast<std::size_t>(whole.size()));
    }
}

void FileList::setPath(const QString& path)
{
    m_path = path;
    refresh();
}

bool FileList::matches(const char* name, std::size_t length) const
{
    if (m_matchAll)
        return true;
    const char* compared = name;
    std::size_t comparedLength = length;
    if (m_byExtension) {
        // The extension is what follows the last dot; a name without a dot has none.
        const char* dot = nullptr;
        for (std::size_t i = length; i > 0; --i) {
            if (name[i - 1] == '.') {
                dot = name + i - 1;
                break;
            }
        }
        if (!dot)
            return false;
        compared = dot + 1;
        comparedLength = static_cast<std::size_t>(name + length - compared);
    }
    if (comparedLength != m_wanted.size())
        return false;
    for (std::size_t i = 0; i < comparedLength; ++i) {
        if (asciiLower(compared[i]) != asciiLower(m_wanted[i]))
            return false;
    }
    return true;
}

void FileList::refresh()
{
    // Called every second on a directory that mostly did not change: the
    // entries are compared with the previous reading as they come, and a new
    // list is built (and sorted) only from the first difference on.
    std::vector<std::string> fresh;
    std::size_t same = 0; // leading entries equal to m_raw's
    bool differs = false;
    bool readable = false;

    const auto take = [&](const char* name, std::size_t length) {
        if (!differs) {
            if (same < m_raw.size() && m_raw[same].size() == length &&
                m_raw[same].compare(0, length, name, length) == 0) {
                ++same;
                return;
            }
            differs = true;
            fresh.reserve(m_raw.size() + 1);
            fresh.assign(m_raw.begin(), m_raw.begin() + static_cast<std::ptrdiff_t>(same));
        }
        fresh.emplace_back(name, length);
    };

    if (!m_path.isEmpty()) {
#ifdef _WIN32
        std::error_code ec;
        std::filesystem::directory_iterator it(std::filesystem::path(m_path.toStdWString()), ec);
        if (!ec) {
            readable = true;
            for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
                if (ec)
                    break;
                const QByteArray name =
                    QFile::encodeName(QString::fromStdWString(it->path().filename().wstring()));
                if (name.isEmpty() || name.startsWith('.'))
                    continue;
                if (!matches(name.constData(), static_cast<std::size_t>(name.size())))
                    continue;
                std::error_code typeError;
                if (!it->is_regular_file(typeError))
                    continue;
                take(name.constData(), static_cast<std::size_t>(name.size()));
            }
            if (ec)
                readable = false;
        }
#else
        const QByteArray encoded = QFile::encodeName(m_path);
        if (DIR* dir = opendir(encoded.constData())) {
            readable = true;
            for (;;) {
                errno = 0;
                const dirent* entry = readdir(dir);
                if (!entry) {
                    // A directory that fails while being read lists nothing rather than half.
                    if (errno != 0)
                        readable = false;
                    break;
                }
                const char* name = entry->d_name;
                if (name[0] == '.')
                    continue;
                const std::size_t length = std::char_traits<char>::length(name);
                if (!matches(name, length) || !isRegularFile(dir, entry))
                    continue;
                take(name, length);
            }
            closedir(dir);
        }
#endif
    }

    if (!readable) {
        m_raw.clear();
        m_sorted.clear();
        return;
    }
    if (!differs && same == m_raw.size())
        return; // unchanged: m_sorted still holds the sorted list
    if (!differs)
        fresh.assign(m_raw.begin(), m_raw.begin() + static_cast<std::ptrdiff_t>(same));
    m_raw = std::move(fresh);
    sortRaw();
}

void FileList::sortRaw()
{
    struct Keyed
    {
        std::size_t offset;
        std::size_t length;
        const std::string* name;
    };
    std::size_t nameBytes = 0;
    for (const std::string& name : m_raw)
        nameBytes += name.size();
    std::string keys;
    keys.reserve(2 * nameBytes);
    std::vector<Keyed> keyed;
    keyed.reserve(m_raw.size());
    for (const std::string& name : m_raw) {
        const std::size_t offset = keys.size();
        appendSortKey(name, keys);
        keyed.push_back({offset, keys.size() - offset, &name});
    }
    const std::string_view all(keys);
    std::sort(keyed.begin(), keyed.end(), [all](const Keyed& a, const Keyed& b) {
        const int byKey = all.substr(a.offset, a.length).compare(all.substr(b.offset, b.length));
        if (byKey != 0)
            return byKey < 0;
        return *a.name < *b.name;
    });
    std::vector<std::string> sorted;
    sorted.reserve(keyed.size());
    for (const Keyed& k : keyed)
        sorted.push_back(*k.name);
    m_sorted = std::move(sorted);
}

QString FileList::list(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_sorted.size())
        return QString();
    const std::string& name = m_sorted[static_cast<std::size_t>(index)];
    return QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

} // namespace kelvaris
