#pragma once

// JPEG files made up for the tests: pictures with known colours, encoded
// the ways cameras encode them, with EXIF data of one's choosing. A test
// that includes this links libturbojpeg, and libjpeg where it is installed
// (KELVARIS_HAVE_LIBJPEG).

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>
#include <QImage>
#include <QList>
#include <QRandomGenerator>

#include <array>
#include <cstdlib>
#include <turbojpeg.h>
#ifdef KELVARIS_HAVE_LIBJPEG
#include <cstdio>
#include <jpeglib.h>
#endif

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

#ifdef KELVARIS_HAVE_LIBJPEG
// Through libjpeg itself, for a restart marker after every MCU row, as many
// cameras write them.
inline QByteArray encodeWithRestarts(const QImage& image)
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
    cinfo.input_components = 4;
    cinfo.in_color_space = rgb32 == TJPF_BGRX ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    cinfo.restart_in_rows = 1;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const QByteArray data(reinterpret_cast<char*>(out), qsizetype(size));
    free(out);
    return data;
}
#endif

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
