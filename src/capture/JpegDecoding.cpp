#include "capture/JpegDecoding.h"

#include "capture/Rgb32PixelFormat.h"
#include "platform/PixelMemory.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <limits>
#include <new>
#include <vector>

// jpeglib.h needs <cstdio> before it.
#include <jerror.h>
#include <jpeglib.h>

namespace kelvaris {

namespace {

using Verdict = JpegDecoding::Verdict;

// libjpeg's name for the layout of QImage::Format_RGB32, taken from the one
// definition of that layout.
constexpr J_COLOR_SPACE rgb32ColourSpace =
    Rgb32PixelFormat == TJPF_BGRX ? JCS_EXT_BGRX : JCS_EXT_XRGB;

// The largest picture decoded: 2 GB of RGB32, far beyond any camera.
constexpr qint64 maxPixels = qint64(1) << 29;

// Refusing a forged size before allocating for it. With Huffman coding,
// which every camera uses, no valid JPEG spends less than 2 bits on each
// 8 x 8 block of each component in a sequential file (a DC difference and
// an end-of-block, each a code of at least 1 bit), nor less than 1 bit in
// a progressive one (its first DC scan codes a difference for every block;
// its AC scans may code up to 32767 empty blocks with one end-of-band run).
// A picture flat enough to reach that floor is made by a program, never by
// a sensor; still, a file may be 4 times smaller than the floor before it
// is called forged, so that a slip in this reckoning refuses nothing real.
// 8000 x 6000 of flat grey at quality 50 in 4:2:0 takes 281 KB with
// optimised tables, just at the floor; a photograph takes 10 to 50 times
// more.
constexpr qint64 forgeryMargin = 4;
// Arithmetic coding has no such floor: its adaptive coder squeezes a flat
// picture almost to nothing (48 megapixels of grey in 208 bytes), so a
// file's size says nothing of its pixel count. No camera writes it; such
// a file is held instead to a fixed cap above the largest camera JPEG
// (102 megapixels), so that at most half a gigabyte is taken for it.
constexpr qint64 maxArithmeticPixels = qint64(1) << 27;
// Reading the scans of a progressive (or multi-scan) file, libjpeg walks
// every block of a scan's components however few bytes the scan holds: 400
// scans of nothing over 8000 x 6000, a 130 KB file, take it 8 s. The work is
// bounded in blocks walked. libjpeg's own progression walks every block of a
// colour picture about 5.3 times over its 10 scans (6 times over 6 scans for
// grey); the budget allows 20 times. Scans of nothing walk blocks quickly, so
// such a file is refused in 0.4 s, half the time a real 48 MP progressive
// picture takes to decode. However small its picture, a file may walk a
// million blocks (some 15 ms), and each scan counts a few rows of blocks more
// for its set-up, so that thousands of scans over a small picture are refused
// too.
constexpr qint64 blockWalksPerBlock = 20;
constexpr qint64 smallestBlockBudget = qint64(1) << 20;
constexpr qint64 blocksPerScanSetUp = 4096;

struct ErrorManager
{
    jpeg_error_mgr pub; // first: libjpeg knows only this part
    std::jmp_buf escape;
    Verdict verdict = Verdict::Damaged;
    char message[JMSG_LENGTH_MAX] = {};
    // The data decoded, to look at bytes that libjpeg complains of.
    const uchar* data = nullptr;
    qsizetype size = 0;
    // Set by another thread to make the decoding give up.
    const StopFlag* stop = nullptr;
};

ErrorManager& managerOf(j_common_ptr info)
{
    return *reinterpret_cast<ErrorManager*>(info->err);
}

[[noreturn]] void escape(j_common_ptr info, Verdict verdict)
{
    ErrorManager& errors = managerOf(info);
    errors.verdict = verdict;
    (*info->err->format_message)(info, errors.message);
    std::longjmp(errors.escape, 1);
}

Verdict verdictOfError(const jpeg_error_mgr& error)
{
    switch (error.msg_code) {
    case JERR_BAD_PRECISION:
        return error.msg_parm.i[0] == 12 ? Verdict::TwelveBit : Verdict::Damaged;
    case JERR_SOF_UNSUPPORTED: {
        const int marker = error.msg_parm.i[0];
        if (marker == 0xc3 || marker == 0xcb)
            return Verdict::Lossless;
        if ((marker >= 0xc5 && marker <= 0xc7) || (marker >= 0xcd && marker <= 0xcf))
            return Verdict::Hierarchical;
        return Verdict::Damaged;
    }
    case JERR_UNKNOWN_MARKER: // a hierarchical file starts with DHP, its frames follow EXP
        return error.msg_parm.i[0] == 0xde || error.msg_parm.i[0] == 0xdf ? Verdict::Hierarchical
                                                                          : Verdict::Damaged;
    case JERR_IMAGE_TOO_BIG:
    case JERR_EMPTY_IMAGE:
    case JERR_WIDTH_OVERFLOW:
        return Verdict::ImplausibleSize;
    case JERR_OUT_OF_MEMORY:
    case JERR_NO_BACKING_STORE:
        return Verdict::OutOfMemory;
    case JERR_CONVERSION_NOTIMPL:
        return Verdict::UnsupportedColours;
    default:
        return Verdict::Damaged;
    }
}

void onError(j_common_ptr info)
{
    escape(info, verdictOfError(*info->err));
}

// Zero bytes between the last scan and the end-of-image marker, which
// libjpeg reports as extraneous data. All JPEGs of DJI drones carry them
// (stb issue 1182), as do some that other programs write (pdf.js issue
// 4090); the scans before them are whole, and common decoders skip them.
// Any other byte there may be the rest of a scan that damage cut short.
bool isZeroPadding(const ErrorManager& errors, j_common_ptr info)
{
    if (errors.pub.msg_code != JWRN_EXTRANEOUS_DATA || errors.pub.msg_parm.i[1] != 0xd9)
        return false;
    // When libjpeg warns, its source stands at the first 0xff of the marker,
    // right after the bytes that it skipped.
    const auto* source = reinterpret_cast<j_decompress_ptr>(info)->src;
    const auto at = quintptr(source->next_input_byte);
    const auto begin = quintptr(errors.data);
    const qsizetype count = errors.pub.msg_parm.i[0];
    if (at < begin || at > begin + quintptr(errors.size) || count <= 0 ||
        quintptr(count) > at - begin)
        return false;
    const uchar* skipped = errors.data + (at - begin) - count;
    return std::all_of(skipped, skipped + count, [](uchar b) { return b == 0; });
}

// The file's end-of-image marker is known to be there, so every warning
// (a bad code, a segment ending too early, a marker out of place) means
// damage, and decoding stops at the first one.
void onMessage(j_common_ptr info, int level)
{
    if (level >= 0) // a trace message
        return;
    if (isZeroPadding(managerOf(info), info))
        return;
    escape(info, Verdict::Damaged);
}

// libjpeg calls its progress monitor before each row of blocks that it
// reads from a scan, and again for each row it outputs.
struct WorkMonitor
{
    jpeg_progress_mgr pub; // first: libjpeg knows only this part
    bool readingScans = false;
    qint64 budget = 0; // blocks
    qint64 walked = 0;
    int scan = 0;
};

// The 8 x 8 blocks of every component, as the header declares them.
qint64 blocksOf(const jpeg_decompress_struct& info)
{
    qint64 blocks = 0;
    for (int i = 0; i < info.num_components; ++i)
        blocks += qint64(info.comp_info[i].width_in_blocks) * info.comp_info[i].height_in_blocks;
    return blocks;
}

// How many block walks the scans may take.
qint64 blockBudget(const jpeg_decompress_struct& info)
{
    return std::max(blocksOf(info) * blockWalksPerBlock, smallestBlockBudget);
}

// Called every few rows: also the place to give up when asked to.
void onProgress(j_common_ptr common)
{
    ErrorManager& errors = managerOf(common);
    if (errors.stop && errors.stop->load(std::memory_order_relaxed)) {
        errors.verdict = Verdict::Stopped;
        std::snprintf(errors.message, sizeof errors.message, "stopped");
        std::longjmp(errors.escape, 1);
    }
    auto& monitor = *reinterpret_cast<WorkMonitor*>(common->progress);
    if (!monitor.readingScans)
        return;
    const auto* info = reinterpret_cast<j_decompress_ptr>(common);
    if (info->input_scan_number != monitor.scan) {
        monitor.scan = info->input_scan_number;
        monitor.walked += blocksPerScanSetUp;
    }
    // One row of the scan's components: as many rows of blocks as each
    // component has in a row of MCUs.
    for (int i = 0; i < info->comps_in_scan; ++i) {
        const jpeg_component_info* component = info->cur_comp_info[i];
        monitor.walked += qint64(component->width_in_blocks) * component->v_samp_factor;
    }
    if (monitor.walked <= monitor.budget)
        return;
    errors.verdict = Verdict::TooMuchWork;
    std::snprintf(errors.message, sizeof errors.message,
                  "scans beyond the decoding budget (%lld block walks, scan %d)",
                  static_cast<long long>(monitor.budget), info->input_scan_number);
    std::longjmp(errors.escape, 1);
}

// Whether the picture that the header declares can be in a file of
// `fileSize` bytes; see the limits above.
bool plausibleSize(const jpeg_decompress_struct& info, qsizetype fileSize)
{
    const qint64 pixels = qint64(info.image_width) * info.image_height;
    if (pixels <= 0 || pixels > maxPixels)
        return false;
    if (info.arith_code)
        return pixels <= maxArithmeticPixels;
    const qint64 leastBytes = blocksOf(info) * (info.progressive_mode ? 1 : 2) / 8;
    return leastBytes <= qint64(fileSize) * forgeryMargin;
}

// Without the file's colour profile, as simple viewers do: colours are
// approximate, enough to focus by. Image editors that write CMYK mark it
// with an Adobe segment and store it inverted (255 is no ink); without
// that segment the values are amounts of ink.
void cmykToRgb32(const uchar* cmyk, quint32* out, int width, bool inverted)
{
    for (int x = 0; x < width; ++x, cmyk += 4) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[x] = qRgb((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
    }
}

// What one decoding needs besides libjpeg's own state.
struct Job
{
    const uchar* data;
    qsizetype size;
    const StopFlag* stop;
    const RowsDecoded* rowsDecoded;
    // The part asked for, in the stored picture; empty for all of it.
    QRect wanted;
    QImage image;
    std::vector<JSAMPROW> rows; // into `image`, when decoded straight into it
    std::vector<uchar> cmykRow; // one row of CMYK, converted into `image`
    QRect region;               // where `image` lies in the picture
    QSize pictureSize;
};

// The memory for the picture, taken only once its size is known to be
// plausible; false when it cannot be had.
bool allocate(Job& job, int width, int height, bool viaCmyk) noexcept
{
    try {
        job.image = newRgb32Image(width, height);
        if (job.image.isNull())
            return false;
        if (viaCmyk) {
            job.cmykRow.resize(size_t(width) * 4);
        } else {
            job.rows.resize(size_t(height));
            uchar* bits = job.image.bits();
            for (int y = 0; y < height; ++y)
                job.rows[size_t(y)] = bits + qsizetype(y) * job.image.bytesPerLine();
        }
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// The part of the picture to decode for `wanted` to come out exactly as
// the whole decoding gives it: smooth upsampling of subsampled chroma treats
// the edges of a partial row as the picture's edges, so one iMCU more is
// decoded on each side, and cut off again (cutTo) unless it is the
// picture's own edge. Rows need no margin: skipping keeps their context.
QRect partToDecode(const jpeg_decompress_struct& info, const QRect& wanted)
{
    const int margin = info.max_h_samp_factor * info.min_DCT_scaled_size;
    const int width = int(info.output_width);
    return QRect(QPoint(std::max(wanted.left() - margin, 0), wanted.top()),
                 QPoint(std::min(wanted.right() + margin, width - 1), wanted.bottom()));
}

// One libjpeg decompressor per thread, created on first use and reused: a
// failed decoding is aborted, which leaves it ready for the next file.
class Decompressor
{
public:
    Decompressor()
    {
        m_info.err = jpeg_std_error(&m_errors.pub);
        m_errors.pub.error_exit = onError;
        m_errors.pub.emit_message = onMessage;
        m_progress.pub.progress_monitor = onProgress;
        if (setjmp(m_errors.escape) == 0) {
            jpeg_create_decompress(&m_info);
            m_info.progress = &m_progress.pub;
            m_ready = true;
        }
    }
    ~Decompressor()
    {
        if (m_ready)
            jpeg_destroy_decompress(&m_info);
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    bool isReady() const { return m_ready; }
    const char* message() const { return m_errors.message; }
    Verdict run(Job& job);

private:
    Verdict refuse(Verdict verdict, const char* message)
    {
        std::snprintf(m_errors.message, sizeof m_errors.message, "%s", message);
        jpeg_abort_decompress(&m_info);
        return verdict;
    }
    Verdict readRows(Job& job, bool viaCmyk, int last);

    jpeg_decompress_struct m_info = {};
    ErrorManager m_errors;
    WorkMonitor m_progress = {};
    bool m_ready = false;
};

// Reads the rows from the next one to `last` into job.image, whose first
// row is the next one; cuts each to job.region's columns.
Verdict Decompressor::readRows(Job& job, bool viaCmyk, int last)
{
    j_decompress_ptr info = &m_info;
    const bool inverted = info->saw_Adobe_marker;
    const int first = int(info->output_scanline);
    uchar* bits = job.image.bits();
    const qsizetype stride = job.image.bytesPerLine();
    while (int(info->output_scanline) <= last) {
        const int y = int(info->output_scanline) - first;
        JDIMENSION got;
        if (viaCmyk) {
            JSAMPROW row = job.cmykRow.data();
            got = jpeg_read_scanlines(info, &row, 1);
            if (got == 1)
                cmykToRgb32(row, reinterpret_cast<quint32*>(bits + qsizetype(y) * stride),
                            job.image.width(), inverted);
        } else {
            got = jpeg_read_scanlines(info, job.rows.data() + y, JDIMENSION(last + 1 - first - y));
        }
        if (got == 0) // the data ended: cannot happen with the whole file in memory
            return refuse(Verdict::Damaged, "decoder stalled");
        if (job.rowsDecoded && *job.rowsDecoded)
            (*job.rowsDecoded)(job.image, int(info->output_scanline) - first);
    }
    return Verdict::Decoded;
}

// libjpeg leaves through longjmp on an error: everything with a destructor
// lives in `job` or in the decompressor, so that the jump skips none.
Verdict Decompressor::run(Job& job)
{
    j_decompress_ptr info = &m_info;
    m_errors.data = job.data;
    m_errors.size = job.size;
    m_errors.stop = job.stop;
    m_errors.message[0] = '\0';
    if (setjmp(m_errors.escape) != 0) {
        m_progress.readingScans = false;
        jpeg_abort_decompress(info);
        return m_errors.verdict;
    }
    jpeg_mem_src(info, job.data, static_cast<unsigned long>(job.size));
    jpeg_read_header(info, TRUE);
    job.pictureSize = QSize(int(info->image_width), int(info->image_height));
    if (!plausibleSize(*info, job.size))
        return refuse(Verdict::ImplausibleSize, "picture size implausible for the file's size");
    const bool part = !job.wanted.isEmpty();
    if (part && (info->progressive_mode || info->arith_code))
        return refuse(Verdict::WholeOnly, "not a sequential Huffman-coded file");

    bool viaCmyk = false;
    switch (info->jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        info->out_color_space = rgb32ColourSpace;
        break;
    case JCS_CMYK:
    case JCS_YCCK: // libjpeg turns YCCK back into CMYK, not into RGB
        if (part)
            return refuse(Verdict::WholeOnly, "CMYK is decoded whole");
        info->out_color_space = JCS_CMYK;
        viaCmyk = true;
        break;
    default:
        return refuse(Verdict::UnsupportedColours, "unknown colour space");
    }
    // The accurate DCT: the sharpness judged must not depend on the
    // decoder's shortcuts.
    info->dct_method = JDCT_ISLOW;
    const int width = int(info->image_width);
    const int height = int(info->image_height);
    const QRect wanted = job.wanted.intersected(QRect(0, 0, width, height));
    if (part && wanted.isEmpty())
        return refuse(Verdict::WholeOnly, "the part lies off the picture");

    // A file of several scans is read whole here, before any row comes out.
    m_progress.readingScans = true;
    m_progress.budget = blockBudget(*info);
    m_progress.walked = 0;
    m_progress.scan = 0;
    jpeg_start_decompress(info);
    m_progress.readingScans = false;
    if (info->output_width != info->image_width || info->output_height != info->image_height)
        return refuse(Verdict::Damaged, "unexpected output size");
    if (!part) {
        if (!allocate(job, width, height, viaCmyk))
            return refuse(Verdict::OutOfMemory, "not enough memory for the picture");
        job.region = QRect(0, 0, width, height);
        const Verdict rows = readRows(job, viaCmyk, height - 1);
        if (rows != Verdict::Decoded)
            return rows;
        // Reads on to the end-of-image marker: damage after the last row
        // read still warns here.
        jpeg_finish_decompress(info);
        return Verdict::Decoded;
    }

    const QRect decoded = partToDecode(*info, wanted);
    auto left = JDIMENSION(decoded.left());
    auto columns = JDIMENSION(decoded.width());
    jpeg_crop_scanline(info, &left, &columns);
    if (wanted.top() > 0 &&
        jpeg_skip_scanlines(info, JDIMENSION(wanted.top())) != JDIMENSION(wanted.top()))
        return refuse(Verdict::Damaged, "could not skip to the part");
    if (!allocate(job, int(columns), wanted.height(), false))
        return refuse(Verdict::OutOfMemory, "not enough memory for the part");
    const Verdict rows = readRows(job, false, wanted.bottom());
    if (rows != Verdict::Decoded)
        return rows;
    jpeg_abort_decompress(info);
    job.image = job.image.copy(wanted.translated(-int(left), -wanted.top()));
    if (job.image.isNull())
        return Verdict::OutOfMemory;
    job.region = wanted;
    return Verdict::Decoded;
}

JpegDecoding decoded(Job& job)
{
    thread_local Decompressor decompressor;
    JpegDecoding result;
    if (!decompressor.isReady()) {
        result.verdict = Verdict::OutOfMemory;
        result.message = QStringLiteral("cannot start the JPEG decoder");
        return result;
    }
    // libjpeg takes the size as an unsigned long, 32 bits on Windows.
    if (job.size <= 0 || quint64(job.size) > std::numeric_limits<unsigned long>::max()) {
        result.verdict = Verdict::Damaged;
        result.message = QStringLiteral("size out of the decoder's range");
        return result;
    }
    result.verdict = decompressor.run(job);
    result.pictureSize = job.pictureSize;
    if (result.verdict == Verdict::Decoded) {
        result.image = std::move(job.image);
        result.region = job.region;
    } else {
        result.message = QString::fromLocal8Bit(decompressor.message());
    }
    return result;
}

} // namespace

JpegDecoding decodeJpeg(const uchar* data, qsizetype size, const StopFlag* stop,
                        const RowsDecoded& rowsDecoded)
{
    Job job{data, size, stop, &rowsDecoded, QRect(), QImage(), {}, {}, QRect(), QSize()};
    return decoded(job);
}

JpegDecoding decodeJpegPart(const uchar* data, qsizetype size, QRect wanted, const StopFlag* stop)
{
    JpegDecoding result;
    if (wanted.isEmpty()) {
        result.verdict = Verdict::WholeOnly;
        result.message = QStringLiteral("no part asked for");
        return result;
    }
    Job job{data, size, stop, nullptr, wanted, QImage(), {}, {}, QRect(), QSize()};
    return decoded(job);
}

} // namespace kelvaris
