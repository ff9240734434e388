#pragma once

// A camera's shots of one scene, made up from a photograph: defocus as a
// Gaussian blur and exposure as a scale, both in linear light as a lens and
// a sensor apply them, highlights clipped where they clip, then sRGB, JPEG
// at a camera's quality and the program's own decoding. For the sharpness
// tests and tools/sharpness_eval; links libturbojpeg and kelvaris_core.

#include "capture/Rgb32PixelFormat.h"
#include "capture/ShotLoader.h"

#include <QImage>
#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cmath>
#include <turbojpeg.h>
#include <vector>

namespace kelvaris::simulation {

inline double srgbToLinear(double s)
{
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
}

inline double linearToSrgb(double l)
{
    return l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
}

// A picture in linear light, one plane per channel (red, green, blue).
struct LinearPicture
{
    int width = 0;
    int height = 0;
    std::array<std::vector<float>, 3> planes;
};

inline LinearPicture toLinear(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    LinearPicture out{rgb.width(), rgb.height(), {}};
    std::array<float, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = float(srgbToLinear(i / 255.0));
    for (auto& plane : out.planes)
        plane.resize(std::size_t(out.width) * out.height);
    for (int y = 0; y < out.height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < out.width; ++x) {
            const std::size_t i = std::size_t(y) * out.width + x;
            out.planes[0][i] = table[qRed(line[x])];
            out.planes[1][i] = table[qGreen(line[x])];
            out.planes[2][i] = table[qBlue(line[x])];
        }
    }
    return out;
}

// A separable Gaussian blur of standard deviation `sigma` pixels, edges
// extended.
inline void defocus(LinearPicture& picture, double sigma)
{
    if (sigma <= 0)
        return;
    const int radius = int(std::ceil(3 * sigma));
    std::vector<float> kernel(2 * radius + 1);
    double total = 0;
    for (int i = -radius; i <= radius; ++i)
        total += kernel[i + radius] = float(std::exp(-i * i / (2 * sigma * sigma)));
    for (float& k : kernel)
        k = float(k / total);
    const int w = picture.width, h = picture.height;
    std::vector<float> pass(std::size_t(w) * h);
    for (auto& plane : picture.planes) {
        for (int y = 0; y < h; ++y) {
            const float* in = plane.data() + std::size_t(y) * w;
            float* out = pass.data() + std::size_t(y) * w;
            for (int x = 0; x < w; ++x) {
                float sum = 0;
                for (int i = -radius; i <= radius; ++i)
                    sum += kernel[i + radius] * in[std::clamp(x + i, 0, w - 1)];
                out[x] = sum;
            }
        }
        for (int y = 0; y < h; ++y) {
            float* out = plane.data() + std::size_t(y) * w;
            std::fill(out, out + w, 0.0f);
            for (int i = -radius; i <= radius; ++i) {
                const float* in = pass.data() + std::size_t(std::clamp(y + i, 0, h - 1)) * w;
                const float k = kernel[i + radius];
                for (int x = 0; x < w; ++x)
                    out[x] += k * in[x];
            }
        }
    }
}

// The picture exposed `stops` brighter (darker when negative), clipped at
// full scale and encoded as sRGB.
inline QImage expose(const LinearPicture& picture, double stops)
{
    static const std::vector<uchar> table = [] {
        std::vector<uchar> t(65536);
        for (int i = 0; i < 65536; ++i)
            t[i] = uchar(std::lround(255 * linearToSrgb(i / 65535.0)));
        return t;
    }();
    const float scale = float(std::exp2(stops));
    QImage out(picture.width, picture.height, QImage::Format_RGB32);
    for (int y = 0; y < picture.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < picture.width; ++x) {
            const std::size_t i = std::size_t(y) * picture.width + x;
            int v[3];
            for (int c = 0; c < 3; ++c) {
                const float l = std::clamp(picture.planes[c][i] * scale, 0.0f, 1.0f);
                v[c] = table[std::size_t(std::lround(l * 65535))];
            }
            line[x] = qRgb(v[0], v[1], v[2]);
        }
    }
    return out;
}

// Encoded as a camera does (4:2:0 at `quality`) and decoded as the program
// decodes a shot; a null picture if either fails.
inline QImage cameraJpeg(const QImage& picture, int quality)
{
    tjhandle tj = tjInitCompress();
    unsigned char* data = nullptr;
    unsigned long size = 0;
    const int rc =
        tjCompress2(tj, picture.constBits(), picture.width(), int(picture.bytesPerLine()),
                    picture.height(), Rgb32PixelFormat, &data, &size, TJSAMP_420, quality, 0);
    QByteArray jpeg;
    if (rc == 0)
        jpeg = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    tjFree(data);
    tjDestroy(tj);
    const LoadedShot shot = decodeShot(jpeg);
    return shot.taken() ? *shot.picture : QImage();
}

// A flat grey `level` with Gaussian sensor noise of `noise` levels added to
// each channel of each pixel.
inline QImage noisyFlat(QSize size, int level, double noise, quint32 seed)
{
    QRandomGenerator random(seed);
    const auto sample = [&] {
        // Box-Muller: two uniform draws make one normal one.
        const double u = std::max(random.generateDouble(), 1e-12);
        const double v = random.generateDouble();
        const double n = std::sqrt(-2 * std::log(u)) * std::cos(2 * M_PI * v);
        return std::clamp(int(std::lround(level + noise * n)), 0, 255);
    };
    QImage out(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int r = sample(), g = sample(), b = sample();
            line[x] = qRgb(r, g, b);
        }
    }
    return out;
}

} // namespace kelvaris::simulation
