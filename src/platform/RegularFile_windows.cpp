#include "platform/RegularFile.h"

#include <QDir>

#include <algorithm>
#include <new>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace kelvaris {

namespace {

using Status = RegularFileRead::Status;

FileStamp stampOf(const BY_HANDLE_FILE_INFORMATION& info)
{
    FileStamp stamp;
    stamp.size = qint64((quint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    stamp.modified = qint64((quint64(info.ftLastWriteTime.dwHighDateTime) << 32) |
                            info.ftLastWriteTime.dwLowDateTime);
    stamp.volume = info.dwVolumeSerialNumber;
    stamp.index = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return stamp;
}

Status statusOfError(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_DELETE_PENDING:
        return Status::Missing;
    case ERROR_ACCESS_DENIED:
        return Status::Denied;
    case ERROR_SHARING_VIOLATION: // the camera's software has it open alone
    case ERROR_LOCK_VIOLATION:
        return Status::Locked;
    default:
        return Status::Failed;
    }
}

RegularFileRead failure(DWORD error)
{
    RegularFileRead read;
    read.status = statusOfError(error);
    read.error = qt_error_string(int(error));
    return read;
}

RegularFileRead notRegular()
{
    RegularFileRead read;
    read.status = Status::NotRegular;
    read.error = QStringLiteral("not a regular file");
    return read;
}

class Handle
{
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_handle; }
    bool isValid() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

// Shared for reading, writing and deletion, so that the camera's software
// is never kept from finishing, renaming or removing the file; with backup
// semantics so that a directory opens too and is refused as one instead of
// being reported as access denied.
HANDLE openShared(const std::filesystem::path& path, DWORD access)
{
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

} // namespace

RegularFileRead readRegularFile(const std::filesystem::path& path, qint64 maxSize)
{
    const Handle file(openShared(path, GENERIC_READ));
    if (!file.isValid())
        return failure(GetLastError());

    // A pipe, console or serial port is no disk file: reading one may wait.
    if (GetFileType(file.get()) != FILE_TYPE_DISK)
        return notRegular();
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(file.get(), &info))
        return failure(GetLastError());
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return notRegular();
    RegularFileRead read;
    read.stamp = stampOf(info);
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
    qsizetype got = 0;
    while (got < read.data.size()) {
        const DWORD chunk = DWORD(std::min<qsizetype>(read.data.size() - got, qsizetype(1) << 30));
        DWORD n = 0;
        if (!ReadFile(file.get(), read.data.data() + got, chunk, &n, nullptr)) {
            const DWORD error = GetLastError();
            read.data.clear();
            read.status = statusOfError(error) == Status::Locked ? Status::Locked : Status::Failed;
            read.error = qt_error_string(int(error));
            return read;
        }
        if (n == 0)
            break;
        got += qsizetype(n);
    }
    read.data.truncate(got);
    read.status = Status::Read;
    return read;
}

std::optional<FileStamp> fileStamp(const std::filesystem::path& path)
{
    const Handle file(openShared(path, FILE_READ_ATTRIBUTES));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!file.isValid() || !GetFileInformationByHandle(file.get(), &info))
        return std::nullopt;
    return stampOf(info);
}

} // namespace kelvaris
