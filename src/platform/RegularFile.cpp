#include "platform/RegularFile.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QFileInfo>
#endif

#include <utility>

namespace kelvaris {

namespace {

// Opens `path` for reading when it is a regular file, else leaves `file`
// closed.
bool openRegular(const QString& path, QFile* file)
{
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    struct stat info = {};
    // The type is looked at first, so that a named pipe is never opened at all.
    if (native.isEmpty() || ::stat(native.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    // Without blocking, and looked at again once open: the path may have been
    // replaced by a pipe in between.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    // From here on the file owns the descriptor.
    return file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
#else
    if (!QFileInfo(path).isFile())
        return false;
    file->setFileName(path);
    return file->open(QIODevice::ReadOnly);
#endif
}

} // namespace

bool canReadRegularFile(const QString& path)
{
    QFile file;
    return openRegular(path, &file);
}

bool readRegularFile(const QString& path, QByteArray* data)
{
    QFile file;
    if (!openRegular(path, &file))
        return false;
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    *data = std::move(content);
    return true;
}

} // namespace kelvaris
