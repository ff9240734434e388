#include "platform/FileList.h"

#include <QList>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace kelvaris {

namespace {

NativeChar asciiLower(NativeChar c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<NativeChar>(c - 'A' + 'a') : c;
}

void appendUnit(char16_t unit, std::string& keys)
{
    keys.push_back(static_cast<char>(unit >> 8));
    keys.push_back(static_cast<char>(unit & 0xff));
}

// Appends to `keys` the key a name sorts by: the name as the user reads it,
// each code point folded the way QString::compare(..., Qt::CaseInsensitive)
// folds it, written as big-endian UTF-16 so that memcmp on keys gives the
// order of the names ignoring case, without decoding inside the comparator.
// All keys share one buffer: thirty thousand small allocations and QString
// comparisons cost more than the sort itself.
void appendSortKey(const NativeName& name, std::string& keys)
{
    const bool ascii = std::all_of(name.begin(), name.end(), [](NativeChar c) {
        return static_cast<std::make_unsigned_t<NativeChar>>(c) < 0x80;
    });
    if (ascii) {
        // Camera names are plain ASCII: decoding them is a copy, folding them a lower-casing.
        for (NativeChar c : name)
            appendUnit(static_cast<char16_t>(asciiLower(c)), keys);
        return;
    }
    for (char32_t c : fromNativeName(name).toUcs4()) {
        const char32_t folded = QChar::toCaseFolded(c);
        if (QChar::requiresSurrogates(folded)) {
            appendUnit(QChar::highSurrogate(folded), keys);
            appendUnit(QChar::lowSurrogate(folded), keys);
        } else {
            appendUnit(static_cast<char16_t>(folded), keys);
        }
    }
}

} // namespace

FileList::FileList(const QString& name, const QString& pattern) : m_name(name), m_pattern(pattern)
{
    // Only the extension of "*.ext" is compared; "*.*" and "*" take every
    // file, as the control does. Anything else is taken as a plain name.
    const QString trimmed = pattern.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String("*") || trimmed == QLatin1String("*.*")) {
        m_matchAll = true;
    } else if (trimmed.startsWith(QLatin1String("*."))) {
        m_wanted = toNativePath(trimmed.mid(2)).native();
        m_byExtension = true;
    } else {
        m_wanted = toNativePath(trimmed).native();
    }
}

void FileList::setPath(const QString& path)
{
    if (path != m_path)
        ++m_generation;
    m_path = path;
    m_nativePath = toNativePath(path);
    refresh();
}

bool FileList::matches(const NativeChar* name, std::size_t length) const
{
    if (m_matchAll)
        return true;
    const NativeChar* compared = name;
    std::size_t comparedLength = length;
    if (m_byExtension) {
        // The extension is what follows the last dot; a name without a dot has none.
        const NativeChar* dot = nullptr;
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
    std::vector<NativeName> fresh;
    std::size_t same = 0; // leading entries equal to m_raw's
    bool differs = false;

    const auto take = [&](const NativeChar* name, std::size_t length) {
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
    const auto wanted = [this](const NativeChar* name, std::size_t length) {
        return matches(name, length);
    };

    m_readable = !m_path.isEmpty() && readDirectory(m_nativePath, wanted, take);
    if (!m_readable) {
        if (!m_raw.empty())
            ++m_generation;
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
    ++m_generation;
}

void FileList::sortRaw()
{
    struct Keyed
    {
        std::size_t offset;
        std::size_t length;
        const NativeName* name;
    };
    std::size_t nameLength = 0;
    for (const NativeName& name : m_raw)
        nameLength += name.size();
    std::string keys;
    keys.reserve(2 * nameLength);
    std::vector<Keyed> keyed;
    keyed.reserve(m_raw.size());
    for (const NativeName& name : m_raw) {
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
    std::vector<NativeName> sorted;
    sorted.reserve(keyed.size());
    for (const Keyed& k : keyed)
        sorted.push_back(*k.name);
    m_sorted = std::move(sorted);
}

QString FileList::list(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_sorted.size())
        return QString();
    return fromNativeName(m_sorted[static_cast<std::size_t>(index)]);
}

NativeName FileList::nativeName(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_sorted.size())
        return NativeName();
    return m_sorted[static_cast<std::size_t>(index)];
}

bool FileList::sortsBefore(const NativeName& a, const NativeName& b)
{
    std::string keyA;
    std::string keyB;
    appendSortKey(a, keyA);
    appendSortKey(b, keyB);
    const int byKey = keyA.compare(keyB);
    return byKey != 0 ? byKey < 0 : a < b;
}

NativePath FileList::nativePath(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_sorted.size())
        return NativePath();
    // One separator whatever the path ends with, as the watcher has always
    // joined them: a doubled one is harmless.
    NativeName joined = m_nativePath.native();
    joined += NativePath::preferred_separator;
    joined += m_sorted[static_cast<std::size_t>(index)];
    return NativePath(std::move(joined));
}

} // namespace kelvaris
