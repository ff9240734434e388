#pragma once

// A camera's shots of one scene, made up from a photograph: defocus as a
// disk, camera shake as a stroke, exposure as a scale, all in linear light
// as a lens and a sensor apply them, highlights clipped, sRGB, JPEG at a
// camera's quality and the program's own decoding. The sensor's noise is
// in SensorSimulation.h. For the sharpness
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

// A square of `side` pixels of the photograph in `file`, at `corner`, in
// linear light; empty (width 0) when the file cannot be read.
inline LinearPicture photographPart(const QString& file, QPoint corner, int side)
{
    const LoadedShot photograph = loadShot(file);
    if (!photograph.taken())
        return {};
    return toLinear(photograph.picture->copy(QRect(corner, QSize(side, side))));
}

// A small kernel, weights summing to 1, centred on (radius, radius).
struct Kernel
{
    int radius = 0;
    std::vector<float> weights; // (2 radius + 1)^2, row after row
    float& at(int dx, int dy)
    {
        return weights[std::size_t(dy + radius) * (2 * radius + 1) + (dx + radius)];
    }
};

// The picture convolved with `kernel`, edges extended.
inline void convolve(LinearPicture& picture, const Kernel& kernel)
{
    const int w = picture.width, h = picture.height, r = kernel.radius, side = 2 * r + 1;
    std::vector<float> out(std::size_t(w) * h);
    for (auto& plane : picture.planes) {
        std::fill(out.begin(), out.end(), 0.0f);
        for (int dy = -r; dy <= r; ++dy) {
            for (int dx = -r; dx <= r; ++dx) {
                const float k = kernel.weights[std::size_t(dy + r) * side + (dx + r)];
                if (k == 0)
                    continue;
                for (int y = 0; y < h; ++y) {
                    const float* in = plane.data() + std::size_t(std::clamp(y + dy, 0, h - 1)) * w;
                    float* o = out.data() + std::size_t(y) * w;
                    const int x0 = std::clamp(-dx, 0, w), x1 = std::clamp(w - dx, 0, w);
                    for (int x = 0; x < x0; ++x)
                        o[x] += k * in[std::clamp(x + dx, 0, w - 1)];
                    for (int x = x0; x < x1; ++x)
                        o[x] += k * in[x + dx];
                    for (int x = x1; x < w; ++x)
                        o[x] += k * in[std::clamp(x + dx, 0, w - 1)];
                }
            }
        }
        plane.swap(out);
    }
}

// A disk of `radius` as it spreads one pixel's light over its neighbours:
// the disk sampled 16 times a pixel along each axis, each sample shared
// bilinearly between the four pixels around it (a point of light falls
// anywhere on a pixel, and a pixel gathers it over its whole area). No
// blur at radius 0.
inline Kernel diskKernel(double radius)
{
    Kernel kernel;
    kernel.radius = int(std::ceil(radius)) + 1;
    const int side = 2 * kernel.radius + 1;
    kernel.weights.assign(std::size_t(side) * side, 0.0f);
    const int samples = std::max(1, int(std::ceil(radius * 16)));
    double total = 0;
    for (int sy = -samples; sy <= samples; ++sy) {
        for (int sx = -samples; sx <= samples; ++sx) {
            const double x = radius * sx / samples, y = radius * sy / samples;
            if (x * x + y * y > radius * radius + 1e-12)
                continue;
            const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
            const float fx = float(x - x0), fy = float(y - y0);
            kernel.at(x0, y0) += (1 - fx) * (1 - fy);
            kernel.at(x0 + 1, y0) += fx * (1 - fy);
            kernel.at(x0, y0 + 1) += (1 - fx) * fy;
            kernel.at(x0 + 1, y0 + 1) += fx * fy;
            total += 1;
        }
    }
    for (float& k : kernel.weights)
        k = float(k / total);
    return kernel;
}

// Defocus: a disk of `radius` pixels, as a lens spreads a point it does not
// focus. Small disks exactly, larger ones a row of the disk at a time
// through running sums (their edges' part-pixels drawn per row).
inline void defocus(LinearPicture& picture, double radius)
{
    if (radius <= 0)
        return;
    if (radius <= 3) {
        convolve(picture, diskKernel(radius));
        return;
    }
    const int w = picture.width, h = picture.height, r = int(std::ceil(radius));
    // For each row of the disk: its whole pixels' half-width and the
    // weight of the part-pixel at each end.
    std::vector<int> whole(2 * r + 1);
    std::vector<float> part(2 * r + 1);
    double total = 0;
    for (int dy = -r; dy <= r; ++dy) {
        const double half = std::sqrt(std::max(radius * radius - double(dy) * dy, 0.0));
        const int n = half >= 0.5 ? int(std::floor(half - 0.5)) : -1;
        whole[dy + r] = n;
        part[dy + r] = float(half >= 0.5 ? half - (n + 0.5) : 2 * half);
        total += (n >= 0 ? 2 * n + 1 : 0) + (n >= 0 ? 2 : 1) * part[dy + r];
    }
    std::vector<double> prefix(std::size_t(w) + 2 * r + 3);
    std::vector<float> rowSums(std::size_t(w) * h);
    std::vector<float> out(std::size_t(w) * h);
    for (auto& plane : picture.planes) {
        std::fill(out.begin(), out.end(), 0.0f);
        for (int y = 0; y < h; ++y) {
            // Running sums of the row, edges extended by r + 1.
            const float* in = plane.data() + std::size_t(y) * w;
            prefix[0] = 0;
            for (int i = 0; i < w + 2 * r + 2; ++i)
                prefix[i + 1] = prefix[i] + in[std::clamp(i - r - 1, 0, w - 1)];
            for (int dy = -r; dy <= r; ++dy) {
                const int target = y - dy;
                if (target < 0 || target >= h)
                    continue;
                const int n = whole[dy + r];
                const float p = part[dy + r];
                float* o = out.data() + std::size_t(target) * w;
                for (int x = 0; x < w; ++x) {
                    const int c = x + r + 1; // index of x in the extended row
                    double sum = 0;
                    if (n >= 0) {
                        sum = prefix[c + n + 1] - prefix[c - n];
                        sum += p * (prefix[c + n + 2] - prefix[c + n + 1] + prefix[c - n] -
                                    prefix[c - n - 1]);
                    } else {
                        sum = p * (prefix[c + 1] - prefix[c]);
                    }
                    o[x] += float(sum);
                }
            }
        }
        // Rows near the top and bottom edges miss the rows beyond: extend
        // them by adding the edge rows' contributions.
        for (int y = 0; y < h; ++y) {
            for (int dy = -r; dy <= r; ++dy) {
                const int source = y + dy;
                if (source >= 0 && source < h)
                    continue;
                const int n = whole[dy + r];
                const float p = part[dy + r];
                const float* in = plane.data() + std::size_t(std::clamp(source, 0, h - 1)) * w;
                float* o = out.data() + std::size_t(y) * w;
                for (int x = 0; x < w; ++x) {
                    double sum = 0;
                    for (int k = -n; k <= n; ++k)
                        sum += in[std::clamp(x + k, 0, w - 1)];
                    const int e = n >= 0 ? n + 1 : 0;
                    sum += p * (in[std::clamp(x + e, 0, w - 1)] +
                                (e ? in[std::clamp(x - e, 0, w - 1)] : 0.0f));
                    o[x] += float(sum);
                }
            }
        }
        const float scale = float(1 / total);
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] *= scale;
        plane.swap(out);
    }
}

// Camera shake: a straight stroke of `length` pixels at `angle` radians.
inline void shake(LinearPicture& picture, double length, double angle)
{
    Kernel kernel;
    kernel.radius = int(std::ceil(length / 2)) + 1;
    const int side = 2 * kernel.radius + 1;
    kernel.weights.assign(std::size_t(side) * side, 0.0f);
    // 64 points along the stroke, each shared bilinearly between pixels.
    for (int i = 0; i < 64; ++i) {
        const double t = (i + 0.5) / 64 - 0.5;
        const double x = t * length * std::cos(angle), y = t * length * std::sin(angle);
        const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
        const float fx = float(x - x0), fy = float(y - y0);
        kernel.at(x0, y0) += (1 - fx) * (1 - fy) / 64;
        kernel.at(x0 + 1, y0) += fx * (1 - fy) / 64;
        kernel.at(x0, y0 + 1) += (1 - fx) * fy / 64;
        kernel.at(x0 + 1, y0 + 1) += fx * fy / 64;
    }
    convolve(picture, kernel);
}

// The part of `picture` inside `rect`, edges extended where it reaches out.
inline LinearPicture window(const LinearPicture& picture, const QRect& rect)
{
    LinearPicture out{rect.width(), rect.height(), {}};
    for (int c = 0; c < 3; ++c) {
        out.planes[c].resize(std::size_t(out.width) * out.height);
        for (int y = 0; y < out.height; ++y) {
            const int sy = std::clamp(rect.top() + y, 0, picture.height - 1);
            for (int x = 0; x < out.width; ++x) {
                const int sx = std::clamp(rect.left() + x, 0, picture.width - 1);
                out.planes[c][std::size_t(y) * out.width + x] =
                    picture.planes[c][std::size_t(sy) * picture.width + sx];
            }
        }
    }
    return out;
}

// The sRGB level of each linear level in 16 bits.
inline const std::vector<uchar>& srgbLevels()
{
    static const std::vector<uchar> table = [] {
        std::vector<uchar> t(65536);
        for (int i = 0; i < 65536; ++i)
            t[std::size_t(i)] = uchar(std::lround(255 * linearToSrgb(i / 65535.0)));
        return t;
    }();
    return table;
}

// The picture encoded as sRGB: `level16(c, i)` gives channel c of pixel i
// as a linear level from 0 to 65535, called pixel after pixel, channel
// after channel.
template <class Level16> QImage encodeSrgb(const LinearPicture& picture, Level16 level16)
{
    const std::vector<uchar>& table = srgbLevels();
    QImage out(picture.width, picture.height, QImage::Format_RGB32);
    for (int y = 0; y < picture.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < picture.width; ++x) {
            const std::size_t i = std::size_t(y) * picture.width + x;
            int v[3];
            for (int c = 0; c < 3; ++c)
                v[c] = table[level16(c, i)];
            line[x] = qRgb(v[0], v[1], v[2]);
        }
    }
    return out;
}

// The picture exposed `stops` brighter (darker when negative), clipped at
// full scale and encoded as sRGB.
inline QImage expose(const LinearPicture& picture, double stops)
{
    const float scale = float(std::exp2(stops));
    return encodeSrgb(picture, [&](int c, std::size_t i) {
        const float l = std::clamp(picture.planes[c][i] * scale, 0.0f, 1.0f);
        return std::size_t(std::lround(l * 65535));
    });
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
