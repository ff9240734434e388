#include "BareLibrary.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <sys/mman.h>

namespace kelvaris::bench {

namespace {

struct PixelBuffer
{
    explicit PixelBuffer(std::size_t bytes, bool hugePages)
    {
        constexpr std::size_t hugePage = std::size_t(2) << 20;
        if (hugePages) {
            const std::size_t rounded = (bytes + hugePage - 1) / hugePage * hugePage;
            data = static_cast<unsigned char*>(std::aligned_alloc(hugePage, rounded));
            if (data)
                madvise(data, rounded, MADV_HUGEPAGE);
        } else {
            data = static_cast<unsigned char*>(std::malloc(bytes));
        }
    }
    ~PixelBuffer() { std::free(data); }
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;
    unsigned char* data = nullptr;
};

} // namespace

bool bareDecode(tjhandle tj, const QString& path, bool hugePages)
{
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!file)
        return false;
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    if (size <= 0) {
        std::fclose(file);
        return false;
    }
    std::unique_ptr<unsigned char[]> data(new unsigned char[std::size_t(size)]);
    const bool read = std::fread(data.get(), 1, std::size_t(size), file) == std::size_t(size);
    std::fclose(file);
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (!read || tjDecompressHeader3(tj, data.get(), (unsigned long)size, &width, &height,
                                     &subsampling, &colourspace) != 0)
        return false;
    PixelBuffer pixels(std::size_t(width) * height * 4, hugePages);
    return pixels.data && tjDecompress2(tj, data.get(), (unsigned long)size, pixels.data, width,
                                        width * 4, height, TJPF_BGRX, 0) == 0;
}

} // namespace kelvaris::bench
