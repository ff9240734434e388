#pragma once

// Shared set-up of the widget tests: a settings file in a temporary
// directory that stands for the executable's, and the program's ending and
// message boxes intercepted so that a test observes them.

#include "platform/Runtime.h"

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <vector>

namespace kelvaris::test {

struct ShownMessage
{
    QString text;
    MessageButtons buttons;
    QString title;
};

class ProgramFixture
{
public:
    // `ini`: the settings file's bytes; a null array leaves no file.
    explicit ProgramFixture(const QByteArray& ini = QByteArray("[R\xe9pertoires]\r\nRepBase=\r\n"))
    {
        setExecutableDirForTesting(m_appDir.path());
        if (!ini.isNull())
            writeFile(iniPath(), ini);
        m_oldEnd = setEndFunction([this] { ++ended; });
        m_oldBox = setMessageBoxFunction(
            [this](const QString& text, MessageButtons buttons, const QString& title) {
                messages.push_back({text, buttons, title});
                return MessageResult::Ok;
            });
    }
    ~ProgramFixture()
    {
        setEndFunction(m_oldEnd);
        setMessageBoxFunction(m_oldBox);
        setExecutableDirForTesting(QString());
    }
    ProgramFixture(const ProgramFixture&) = delete;
    ProgramFixture& operator=(const ProgramFixture&) = delete;

    QString appDir() const { return m_appDir.path(); }
    QString iniPath() const { return m_appDir.path() + QStringLiteral("/kelvaris.ini"); }
    QByteArray iniBytes() const { return readFile(iniPath()); }

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    int ended = 0;
    std::vector<ShownMessage> messages;

private:
    QTemporaryDir m_appDir;
    EndFunction m_oldEnd;
    MessageBoxFunction m_oldBox;
};

// A JPEG of `width` x `height` pixels whose left half is `left` and right
// half `right`, with `detail` lines of fine stripes (more detail, bigger file).
inline QByteArray makeJpeg(int width, int height, QColor left = Qt::red, QColor right = Qt::blue,
                           int detail = 0, int quality = 90)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const bool stripe = y < detail && ((x + y) % 2 == 0);
            line[x] = stripe ? qRgb(255, 255, 255) : (x < width / 2 ? left : right).rgb();
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", quality);
    return bytes;
}

} // namespace kelvaris::test
