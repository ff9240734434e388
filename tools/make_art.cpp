// Draws the program's button bitmaps and its icon and writes them into the
// directory named on the command line (normally resources/). The outputs are
// committed; run this again only to change the art.
//
//   make_art <directory>
//
// The files are written byte by byte rather than through QImage's writers so
// that their formats are exactly what the program's picture stores expect:
// 24-bit bottom-up BMPs, and an ICO holding one 48 x 48, 256-colour image
// with a 1-bit transparency mask.

#include "ArtFiles.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <array>
#include <cstdio>
#include <map>

namespace kelvaris {
namespace {

constexpr int kButtonWidth = 38;
constexpr int kButtonHeight = 26;
constexpr int kIconSize = 48;
const QColor kPanel(224, 224, 224);
const QColor kLettering(52, 52, 52);

// ---------------------------------------------------------------- lettering

// A 7-pixel pixel font (cap height 7, x-height 5, descenders 2): at this size
// any outline font is smeared by antialiasing, and the words must read at
// 100 %. Each glyph is nine rows; '#' is ink. Only the letters the buttons use.
const std::map<char, std::array<const char*, 9>>& pixelFont()
{
    static const std::map<char, std::array<const char*, 9>> font = {
        {'S', {".##.", "#..#", "#...", ".##.", "...#", "#..#", ".##.", "....", "...."}},
        {'R', {"###.", "#..#", "#..#", "###.", "#.#.", "#..#", "#..#", "....", "...."}},
        {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#", ".....", "....."}},
        {'H', {"#..#", "#..#", "#..#", "####", "#..#", "#..#", "#..#", "....", "...."}},
        {'L', {"#...", "#...", "#...", "#...", "#...", "#...", "####", "....", "...."}},
        {'a', {"....", "....", ".##.", "...#", ".###", "#..#", ".###", "....", "...."}},
        {'c', {"...", "...", ".##", "#..", "#..", "#..", ".##", "...", "..."}},
        {'d', {"...#", "...#", ".###", "#..#", "#..#", "#..#", ".###", "....", "...."}},
        {'e', {"....", "....", ".##.", "#..#", "####", "#...", ".###", "....", "...."}},
        {'i', {"#", ".", "#", "#", "#", "#", "#", ".", "."}},
        {'l', {"#", "#", "#", "#", "#", "#", "#", ".", "."}},
        {'o', {"....", "....", ".##.", "#..#", "#..#", "#..#", ".##.", "....", "...."}},
        {'p', {"....", "....", "###.", "#..#", "#..#", "#..#", "###.", "#...", "#..."}},
        {'r', {"...", "...", "#.#", "##.", "#..", "#..", "#..", "...", "..."}},
        {'s', {"....", "....", ".###", "#...", ".##.", "...#", "###.", "....", "...."}},
        {'t', {"...", ".#.", "###", ".#.", ".#.", ".#.", "..#", "...", "..."}},
        {'u', {"....", "....", "#..#", "#..#", "#..#", "#..#", ".###", "....", "...."}},
    };
    return font;
}

int glyphWidth(char c)
{
    const auto& font = pixelFont();
    const auto it = font.find(c);
    return it == font.end() ? 3 : int(qstrlen(it->second[0]));
}

// Letters `word` centred horizontally with its cap top at `top`.
void drawWord(QPainter& painter, const char* word, int top, const QColor& colour)
{
    int width = 0;
    for (const char* c = word; *c; ++c)
        width += glyphWidth(*c) + (c[1] ? 1 : 0);
    int x = (kButtonWidth - width) / 2;
    for (const char* c = word; *c; ++c) {
        const auto it = pixelFont().find(*c);
        if (it != pixelFont().end()) {
            for (int row = 0; row < 9; ++row) {
                const char* line = it->second[size_t(row)];
                for (int column = 0; line[column]; ++column) {
                    if (line[column] == '#')
                        painter.fillRect(QRect(x + column, top + row, 1, 1), colour);
                }
            }
        }
        x += glyphWidth(*c) + 1;
    }
}

// ------------------------------------------------------------------ buttons

enum class Capsule
{
    Grey,
    Orange,
    Green
};
enum class Glyph
{
    None,
    Rewind,
    Forward,
    Bolt,
    Power,
    Square,
    Question
};

struct Button
{
    const char* store;
    Capsule capsule;
    Glyph glyph;
    const char* word; // nullptr: no lettering
};

// The capsule, in pixel edges: 30 x 13 near the top, centred.
const QRectF kCapsule(4, 1, 30, 13);
const QPointF kCentre(19, 7.5);

struct CapsuleColours
{
    QColor top, bottom, outline, glyph;
};

CapsuleColours coloursOf(Capsule capsule)
{
    switch (capsule) {
    case Capsule::Orange:
        return {QColor(255, 163, 64), QColor(238, 118, 16), QColor(196, 92, 8), Qt::white};
    case Capsule::Green:
        return {QColor(110, 204, 118), QColor(52, 160, 72), QColor(34, 124, 52), Qt::white};
    case Capsule::Grey:
        break;
    }
    return {QColor(212, 212, 212), QColor(188, 188, 188), QColor(140, 140, 140),
            QColor(60, 60, 60)};
}

void drawGlyph(QPainter& painter, Glyph glyph, const QColor& colour)
{
    const double cx = kCentre.x();
    const double cy = kCentre.y();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    switch (glyph) {
    case Glyph::None:
        break;
    case Glyph::Rewind:
    case Glyph::Forward: {
        // Two triangles, 5 x 7 each, their flat sides on pixel edges.
        const double s = glyph == Glyph::Rewind ? -1 : 1;
        for (const double base : {cx - 5 * s, cx}) {
            const QPointF points[] = {{base, cy - 3.5}, {base, cy + 3.5}, {base + 5 * s, cy}};
            painter.drawPolygon(points, 3);
        }
        break;
    }
    case Glyph::Bolt: {
        // Flat-topped, so that it keeps some weight at this size.
        const QPointF points[] = {{cx - 0.5, cy - 4.5}, {cx + 3.0, cy - 4.5}, {cx + 0.8, cy - 0.8},
                                  {cx + 3.2, cy - 0.8}, {cx - 2.2, cy + 5.0}, {cx - 0.6, cy + 0.9},
                                  {cx - 3.2, cy + 0.9}};
        painter.drawPolygon(points, 7);
        break;
    }
    case Glyph::Power: {
        QPen pen(colour, 1.5, Qt::SolidLine, Qt::RoundCap);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const QRectF ring(cx - 3.6, cy - 3.1, 7.2, 7.2);
        painter.drawArc(ring, 125 * 16, 290 * 16);
        painter.drawLine(QPointF(cx, cy - 3.8), QPointF(cx, cy + 0.4));
        break;
    }
    case Glyph::Square:
        painter.drawRect(QRectF(cx - 3, cy - 3.5, 6, 7));
        break;
    case Glyph::Question: {
        // Drawn pixel by pixel: a curve this small smears when antialiased.
        // '+' is half ink, for the rounded top.
        static const char* const rows[] = {".+##+.", "##..##", "....##", "..+##.",
                                           "..##..", "......", "..##.."};
        QColor half = colour;
        half.setAlphaF(0.5);
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < 6; ++column) {
                const char ink = rows[row][column];
                if (ink != '.')
                    painter.fillRect(QRect(int(cx) - 3 + column, int(cy - 3.5) + row, 1, 1),
                                     ink == '#' ? colour : half);
            }
        break;
    }
    }
}

QImage drawButton(const Button& button)
{
    QImage image(kButtonWidth, kButtonHeight, QImage::Format_RGB32);
    image.fill(kPanel);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const CapsuleColours colours = coloursOf(button.capsule);
    const double radius = kCapsule.height() / 2;
    QLinearGradient fill(kCapsule.topLeft(), kCapsule.bottomLeft());
    fill.setColorAt(0, colours.top);
    fill.setColorAt(1, colours.bottom);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours.outline);
    painter.drawRoundedRect(kCapsule, radius, radius);
    painter.setBrush(fill);
    painter.drawRoundedRect(kCapsule.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    // A faint light line along the inside top edge gives the capsule some depth.
    painter.setPen(QPen(QColor(255, 255, 255, 70), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(QPointF(kCapsule.left() + radius, kCapsule.top() + 1.5),
                     QPointF(kCapsule.right() - radius, kCapsule.top() + 1.5));

    drawGlyph(painter, button.glyph, colours.glyph);
    if (button.word)
        drawWord(painter, button.word, 16, kLettering);
    return image;
}

// --------------------------------------------------------------- the icon

QImage drawIcon()
{
    QImage image(kIconSize, kIconSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF c(24, 24);

    // Lens barrel and a bright front ring. The icon ends up with 256 colours,
    // so the glass uses flat tones that the palette holds exactly, and only
    // the greys, which the palette has many of, are shaded.
    painter.setPen(Qt::NoPen);
    QLinearGradient barrel(0, 1, 0, 47);
    barrel.setColorAt(0, QColor(96, 96, 96));
    barrel.setColorAt(1, QColor(24, 24, 24));
    painter.setBrush(barrel);
    painter.drawEllipse(c, 23, 23);
    QLinearGradient ring(0, 5, 0, 43);
    ring.setColorAt(0, QColor(230, 230, 230));
    ring.setColorAt(1, QColor(112, 112, 112));
    painter.setBrush(ring);
    painter.drawEllipse(c, 19, 19);
    painter.setBrush(QColor(20, 20, 20));
    painter.drawEllipse(c, 17, 17);
    painter.setBrush(QColor(0, 51, 102));
    painter.drawEllipse(c, 16, 16);
    painter.setBrush(QColor(0, 0, 51));
    painter.drawEllipse(c, 10, 10);
    // Reflections on the glass.
    painter.setPen(QPen(QColor(153, 204, 255), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(c.x() - 13, c.y() - 13, 26, 26), 105 * 16, 50 * 16);
    painter.setPen(QPen(QColor(51, 102, 153), 1.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(c.x() - 13, c.y() - 13, 26, 26), 285 * 16, 50 * 16);

    // The focusing reticle: four ticks from the rim of the glass.
    painter.setPen(QPen(QColor(238, 238, 238), 2, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(24, 8), QPointF(24, 13));
    painter.drawLine(QPointF(24, 35), QPointF(24, 40));
    painter.drawLine(QPointF(8, 24), QPointF(13, 24));
    painter.drawLine(QPointF(35, 24), QPointF(40, 24));

    // The two crop squares, red and green, overlapping; 2-pixel lines on
    // pixel edges stay crisp.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 51, 51), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawRect(QRectF(13, 13, 14, 14));
    painter.setPen(QPen(QColor(51, 204, 51), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawRect(QRectF(21, 21, 14, 14));
    return image;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        std::fprintf(stderr, "make_art: cannot write %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return false;
    }
    return true;
}

} // namespace
} // namespace kelvaris

int main(int argc, char** argv)
{
    using namespace kelvaris;
    // An option is no directory: "make_art --help" must not create one.
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: make_art <directory>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "make_art: cannot create %s\n", argv[1]);
        return 1;
    }

    const Button buttons[] = {
        {"P_SelectOn", Capsule::Orange, Glyph::Rewind, "Select"},
        {"P_SelectOff", Capsule::Grey, Glyph::Rewind, "Select"},
        {"P_ResetOn", Capsule::Orange, Glyph::Bolt, "Reset"},
        {"P_ResetOff", Capsule::Grey, Glyph::Bolt, "Reset"},
        {"P_Load", Capsule::Green, Glyph::None, "Load"},
        {"P_Nopicture", Capsule::Orange, Glyph::None, nullptr},
        {"P_Nothing", Capsule::Grey, Glyph::None, nullptr},
        {"P_QuitOn", Capsule::Orange, Glyph::Power, "Quit"},
        {"P_QuitOff", Capsule::Grey, Glyph::Power, "Quit"},
        {"P_StopOn", Capsule::Orange, Glyph::Square, "Stop"},
        {"P_StopOff", Capsule::Grey, Glyph::Square, "Stop"},
        {"P_HelpOn", Capsule::Orange, Glyph::Question, "Help"},
        {"P_HelpOff", Capsule::Grey, Glyph::Question, "Help"},
        {"P_StartOn", Capsule::Orange, Glyph::Forward, "Start"},
        {"P_StartOff", Capsule::Grey, Glyph::Forward, "Start"},
    };
    bool ok = true;
    for (const Button& button : buttons) {
        const QString path = dir.filePath(QString::fromLatin1(button.store) + ".bmp");
        ok = writeFile(path, encodeBmp(drawButton(button))) && ok;
    }
    ok = writeFile(dir.filePath(QStringLiteral("kelvaris.ico")), encodeIco(drawIcon())) && ok;
    return ok ? 0 : 1;
}
