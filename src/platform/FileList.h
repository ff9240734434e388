#pragma once

#include "platform/DirectoryReader.h"
#include "platform/NativePath.h"

#include <QString>
#include <cstddef>
#include <vector>

namespace kelvaris {

// The file list of a directory, as a file list control keeps it: the
// regular files (links to regular files included) whose names match the
// pattern, the extension compared without regard to case, hidden files
// left out (see DirectoryReader.h), sorted by name ignoring case, ties by
// the names' native spelling. A directory that cannot be read lists nothing.
//
// Names are kept as the system spells them, so that every listed file can
// be opened by its exact path (nativePath), whatever its name's encoding.
//
// Counts are ints, so directories of more than 32767 files are counted right.
class FileList
{
public:
    // `pattern` is "*.ext" (the text after a name's last dot, ignoring ASCII
    // case; a name without a dot has no extension) or "*.*" (every file,
    // names without a dot included).
    explicit FileList(const QString& name, const QString& pattern = QStringLiteral("*.*"));

    QString name() const { return m_name; }
    QString pattern() const { return m_pattern; }
    QString path() const { return m_path; }
    // Sets the path and re-reads the directory.
    void setPath(const QString& path);

    // Re-reads the directory with the current path and pattern.
    void refresh();

    // Whether the last reading found the directory and read it whole.
    bool isReadable() const { return m_readable; }
    // Changes whenever a reading finds the list changed, so that a caller can
    // tell, without comparing, that files came or went.
    int generation() const { return m_generation; }

    int listCount() const { return static_cast<int>(m_sorted.size()); }
    // The name (no directory) of entry `index`, from 0, as the user reads
    // it (see fromNativeName); empty when out of range.
    QString list(int index) const;
    // The exact path of entry `index`: the list's path, one separator and
    // the name as the system spells it; empty when out of range.
    NativePath nativePath(int index) const;
    // The name of entry `index` as the system spells it; empty when out of range.
    NativeName nativeName(int index) const;

    // Whether name `a` comes before name `b` in the list's order.
    static bool sortsBefore(const NativeName& a, const NativeName& b);

private:
    bool matches(const NativeChar* name, std::size_t length) const;
    void sortRaw();

    QString m_name;
    QString m_pattern;
    QString m_path;
    NativePath m_nativePath;
    bool m_readable = false;
    int m_generation = 0;
    // Matching names in the order the directory gave them, kept so that an
    // unchanged directory is not sorted again on every refresh.
    std::vector<NativeName> m_raw;
    std::vector<NativeName> m_sorted;
    // The pattern, in the system's spelling: every file, the extension of
    // "*.ext", or else a whole name, compared ignoring ASCII case.
    bool m_matchAll = false;
    bool m_byExtension = false;
    NativeName m_wanted;
};

} // namespace kelvaris
