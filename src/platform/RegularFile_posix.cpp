#include "platform/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvaris {

namespace {

using Status = RegularFileRead::Status;

FileStamp stampOf(const struct stat& st)
{
    FileStamp stamp;
    stamp.size = qint64(st.st_size);
    stamp.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.volume = quint64(st.st_dev);
    stamp.index = quint64(st.st_ino);
    return stamp;
}

RegularFileRead failure(Status status, int error)
{
    RegularFileRead read;
    read.status = status;
    read.error = qt_error_string(error);
    return read;
}

Status statusOfOpenError(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return Status::Missing;
    case EACCES:
    case EPERM:
        return Status::Denied;
    case ENXIO: // a socket, or a device without its driver
    case ENODEV:
        return Status::NotRegular;
    case EFBIG:
    case EOVERFLOW:
        return Status::TooLarge;
    default:
        return Status::Failed;
    }
}

// Closes the descriptor on every way out.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

RegularFileRead readRegularFile(const std::filesystem::path& path, qint64 maxSize)
{
    // Non-blocking, or opening a pipe would wait for a writer that may never
    // come; no controlling terminal, should the name be a terminal's.
    int fd;
    do
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return failure(statusOfOpenError(errno), errno);
    const Descriptor file(fd);

    struct stat st = {};
    if (::fstat(fd, &st) != 0)
        return failure(Status::Failed, errno);
    RegularFileRead read;
    read.stamp = stampOf(st);
    if (!S_ISREG(st.st_mode)) {
        read.status = Status::NotRegular;
        read.error = QStringLiteral("not a regular file");
        return read;
    }
    if (read.stamp.size > maxSize) {
        read.status = Status::TooLarge;
        read.error = QStringLiteral("%1 bytes").arg(read.stamp.size);
        return read;
    }

    try {
        read.data.resize(qsizetype(read.stamp.size));
    } catch (const std::bad_alloc&) {
        read.status = Status::Failed;
        read.error = QStringLiteral("not enough memory to read %1 bytes").arg(read.stamp.size);
        return read;
    }
    // One read of the size found at opening: a file growing meanwhile is
    // the caller's to notice, from its stamp.
    qsizetype got = 0;
    while (got < read.data.size()) {
        const ssize_t n = ::read(fd, read.data.data() + got, size_t(read.data.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            // EAGAIN from a regular file means a mandatory lock held by
            // another program.
            const int error = errno;
            read.data.clear();
            read.status = error == EAGAIN ? Status::Locked : Status::Failed;
            read.error = qt_error_string(error);
            return read;
        }
        if (n == 0)
            break;
        got += n;
    }
    read.data.truncate(got);
    read.status = Status::Read;
    return read;
}

std::optional<FileStamp> fileStamp(const std::filesystem::path& path)
{
    struct stat st = {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return stampOf(st);
}

} // namespace kelvaris
