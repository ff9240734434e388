#pragma once

// Files written and read back whole by the tests.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace kelvaris::test {

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The file's bytes; "<unreadable>" when it cannot be read, so that a
// comparison with any expected content fails and says why.
inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace kelvaris::test
