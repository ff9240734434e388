#pragma once

// JPEG files made up for the tests: pictures with known colours, encoded
// the ways cameras and image editors encode them, with EXIF data of one's
// choosing. A test that includes this links libturbojpeg and libjpeg.

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>
#include <QImage>
#include <QList>
#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <turbojpeg.h>
// jpeglib.h needs <cstdio> before it.
#include <cstdio>
#include <jpeglib.h>

namespace kelvaris::samples {

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr int rgb32 = TJPF_BGRX;
#else
constexpr int rgb32 = TJPF_XRGB;
#endif

inline const QRgb red = qRgb(230, 20, 20);
inline const QRgb green = qRgb(20, 200, 40);
inline const QRgb blue = qRgb(30, 40, 220);
inline const QRgb white = qRgb(250, 250, 250);

// Quadrants of flat colour (red, green / blue, white) with a noisy band in
// the middle, so that every pixel of a transformed picture can be checked.
inline QImage quadrants(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            QRgb c =
                y < height / 2 ? (x < width / 2 ? red : green) : (x < width / 2 ? blue : white);
            if (std::abs(y - height / 2) < height / 6)
                c = random.generate() | 0xff000000u;
            image.setPixel(x, y, c);
        }
    }
    return image;
}

// A picture with what photographs have: smooth shading, fine texture,
// edges and a little sensor noise; each seed gives another one.
inline QImage photoLike(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    const double fx = 0.01 + random.bounded(0.04), fy = 0.01 + random.bounded(0.04);
    const int stripe = 40 + int(random.bounded(80));
    auto level = [](double v) { return std::clamp(int(v), 0, 255); };
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double shade = 120 + 70 * std::sin(x * fx) * std::cos(y * fy);
            const double texture = 20 * std::sin((x + 2 * y) * 0.45);
            const double edge = (x + y / 2) % (2 * stripe) < stripe ? 40 : -30;
            const int noise = int(random.bounded(10)) - 5;
            line[x] = qRgb(level(shade + texture + edge + noise), level(shade * 0.8 + noise),
                           level(255 - shade + edge / 2 + noise));
        }
    }
    return image;
}

inline QByteArray encode(const QImage& image, int flags = 0, int subsampling = TJSAMP_444)
{
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    const int rc = tjCompress2(tj, image.constBits(), image.width(), int(image.bytesPerLine()),
                               image.height(), rgb32, &out, &size, subsampling, 92, flags);
    const QByteArray data =
        rc == 0 ? QByteArray(reinterpret_cast<char*>(out), qsizetype(size)) : QByteArray();
    tjFree(out);
    tjDestroy(tj);
    return data;
}

// How libjpeg is to write a sample, for the kinds of JPEG that TurboJPEG
// does not write.
struct LibjpegOptions
{
    int quality = 90;
    int restartRows = 0; // a restart marker after every so many MCU rows
    bool progressive = false;
    bool arithmetic = false;
    bool optimise = false;                 // Huffman tables fitted to the picture
    J_COLOR_SPACE stored = JCS_YCbCr;      // or JCS_GRAYSCALE, JCS_CMYK, JCS_YCCK
    bool adobeMarker = true;               // CMYK: with the APP14 marker, values inverted
    std::array<int, 2> lumaSampling{2, 2}; // the first component's factors
};

// Ink amounts (0 = none) of `colour` in naive CMYK, the black taken out.
inline std::array<int, 4> cmykInk(QRgb colour)
{
    const int k = 255 - std::max({qRed(colour), qGreen(colour), qBlue(colour)});
    if (k == 255)
        return {0, 0, 0, 255};
    auto ink = [k](int v) { return (255 - v - k) * 255 / (255 - k); };
    return {ink(qRed(colour)), ink(qGreen(colour)), ink(qBlue(colour)), k};
}

inline QByteArray encodeLibjpeg(const QImage& image, const LibjpegOptions& options = {})
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    const bool cmyk = options.stored == JCS_CMYK || options.stored == JCS_YCCK;
    const bool grey = options.stored == JCS_GRAYSCALE;
    cinfo.input_components = cmyk ? 4 : grey ? 1 : 4;
    cinfo.in_color_space = cmyk                 ? JCS_CMYK
                           : grey               ? JCS_GRAYSCALE
                           : rgb32 == TJPF_BGRX ? JCS_EXT_BGRX
                                                : JCS_EXT_XRGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, options.stored);
    if (cmyk && options.stored == JCS_CMYK)
        cinfo.write_Adobe_marker = options.adobeMarker;
    jpeg_set_quality(&cinfo, options.quality, TRUE);
    cinfo.restart_in_rows = options.restartRows;
    cinfo.arith_code = options.arithmetic;
    cinfo.optimize_coding = options.optimise;
    if (!grey && options.stored != JCS_CMYK) {
        cinfo.comp_info[0].h_samp_factor = options.lumaSampling[0];
        cinfo.comp_info[0].v_samp_factor = options.lumaSampling[1];
    }
    if (options.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    QByteArray converted(image.width() * 4, Qt::Uninitialized);
    auto* row = reinterpret_cast<JSAMPLE*>(converted.data());
    while (cinfo.next_scanline < cinfo.image_height) {
        const auto* pixels =
            reinterpret_cast<const QRgb*>(image.constScanLine(int(cinfo.next_scanline)));
        JSAMPROW input = const_cast<JSAMPROW>(image.constScanLine(int(cinfo.next_scanline)));
        if (cmyk || grey) {
            for (int x = 0; x < image.width(); ++x) {
                if (grey) {
                    row[x] = JSAMPLE(qGray(pixels[x]));
                    continue;
                }
                const std::array<int, 4> ink = cmykInk(pixels[x]);
                for (int i = 0; i < 4; ++i)
                    row[4 * x + i] = JSAMPLE(options.adobeMarker ? 255 - ink[i] : ink[i]);
            }
            input = row;
        }
        jpeg_write_scanlines(&cinfo, &input, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const QByteArray data(reinterpret_cast<char*>(out), qsizetype(size));
    free(out);
    return data;
}

// Through libjpeg, for a restart marker after every MCU row, as many
// cameras write them.
inline QByteArray encodeWithRestarts(const QImage& image)
{
    LibjpegOptions options;
    options.restartRows = 1;
    return encodeLibjpeg(image, options);
}

// A grey progressive JPEG of `width` x `height` pixels, every coefficient
// zero, in `scans` scans: the DC scan, then AC scans that follow a valid
// progression (each coefficient on its own, at 14 bit depths) and hold
// nothing but end-of-band runs. A few hundred bytes make a scan that walks
// every block of the picture. Written byte by byte: libjpeg would take
// as long to write it as to read it.
inline QByteArray manyScanJpeg(int width, int height, int scans)
{
    QByteArray out;
    const auto u16 = [&out](int v) { out.append(char(v >> 8)).append(char(v & 0xff)); };
    out.append("\xff\xd8", 2);
    out.append("\xff\xdb", 2); // quantisation: all ones
    u16(67);
    out.append('\0').append(QByteArray(64, 1));
    out.append("\xff\xc2", 2); // progressive frame, one component
    u16(11);
    out.append(char(8));
    u16(height);
    u16(width);
    out.append(char(1)).append(char(1)).append(char(0x11)).append(char(0));
    // DC: one code, "0", for a zero difference. AC: the 15 end-of-band runs
    // EOB0..EOB14 in codes of 4 bits.
    out.append("\xff\xc4", 2);
    u16(2 + 17 + 1 + 17 + 15);
    out.append(char(0x00)).append(char(1)).append(QByteArray(15, 0)).append(char(0));
    out.append(char(0x10)).append(QByteArray(3, 0)).append(char(15)).append(QByteArray(12, 0));
    for (int n = 0; n < 15; ++n)
        out.append(char(n << 4));

    // Entropy-coded bits, with a 0 stuffed after every 0xff.
    quint32 bits = 0;
    int count = 0;
    const auto put = [&](quint32 value, int length) {
        for (int i = length - 1; i >= 0; --i) {
            bits = (bits << 1) | ((value >> i) & 1);
            if (++count == 8) {
                out.append(char(bits));
                if (bits == 0xff)
                    out.append('\0');
                bits = 0;
                count = 0;
            }
        }
    };
    const auto flush = [&] {
        if (count > 0)
            put(0x7f, 8 - count); // padded with ones
    };
    const auto startScan = [&](int ss, int se, int ah, int al) {
        out.append("\xff\xda", 2);
        u16(8);
        out.append(char(1)).append(char(1)).append(char(0));
        out.append(char(ss)).append(char(se)).append(char(ah << 4 | al));
    };
    const qint64 blocks = qint64((width + 7) / 8) * ((height + 7) / 8);

    startScan(0, 0, 0, 0);
    for (qint64 b = 0; b < blocks; ++b)
        put(0, 1);
    flush();
    for (int i = 0; i < scans - 1; ++i) {
        const int step = i % 14;
        const int coefficient = 1 + i / 14;
        startScan(coefficient, coefficient, step == 0 ? 0 : 14 - step, 13 - step);
        for (qint64 left = blocks; left > 0;) {
            const int run = int(std::min<qint64>(left, 32767));
            int n = 0;
            while ((2 << n) <= run)
                ++n;
            put(quint32(n), 4);
            put(quint32(run - (1 << n)), n);
            left -= run;
        }
        flush();
    }
    out.append("\xff\xd9", 2);
    return out;
}

// Little TIFF data holding IFD0 with the given entries (tag, type, value).
inline QByteArray tiff(bool bigEndian, const QList<std::array<quint32, 3>>& entries)
{
    QByteArray t;
    QDataStream out(&t, QIODevice::WriteOnly);
    out.setByteOrder(bigEndian ? QDataStream::BigEndian : QDataStream::LittleEndian);
    out.writeRawData(bigEndian ? "MM" : "II", 2);
    out << quint16(42) << quint32(8) << quint16(entries.size());
    for (const auto& [tag, type, value] : entries) {
        out << quint16(tag) << quint16(type) << quint32(1);
        if (type == 3) // a SHORT sits in the first half of the value field
            out << quint16(value) << quint16(0);
        else
            out << quint32(value);
    }
    out << quint32(0);
    return t;
}

// The JPEG with an APP1 Exif segment holding `payload` right after SOI.
inline QByteArray withExif(const QByteArray& jpeg, const QByteArray& payload)
{
    QByteArray segment("\xff\xe1", 2);
    const quint16 length = quint16(2 + 6 + payload.size());
    segment.append(char(length >> 8)).append(char(length & 0xff));
    segment.append(QByteArray("Exif\0\0", 6)).append(payload);
    return QByteArray(jpeg).insert(2, segment);
}

inline QByteArray withOrientation(const QByteArray& jpeg, int orientation, bool bigEndian = false)
{
    return withExif(jpeg, tiff(bigEndian, {{0x010f, 2, 0}, {0x0112, 3, quint32(orientation)}}));
}

} // namespace kelvaris::samples
