#include "e2e/Desktop.h"

#include <QProcess>
#include <QStandardPaths>

namespace kelvaris::e2e {

namespace {

constexpr int ToolTimeoutMs = 10000;

bool runTool(const QString& program, const QStringList& arguments, QByteArray* output)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(ToolTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// xdotool matches titles with POSIX extended regular expressions.
QString exactTitlePattern(const QString& title)
{
    static const QString special = QStringLiteral(".[]{}()\\*+?^$|");
    QString pattern = QStringLiteral("^");
    for (const QChar c : title) {
        if (special.contains(c))
            pattern += QLatin1Char('\\');
        pattern += c;
    }
    return pattern + QLatin1Char('$');
}

QString number(int value)
{
    return QString::number(value);
}

} // namespace

QStringList Desktop::missingTools()
{
    QStringList missing;
    for (const char* tool : {"xdotool", "import"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            missing << QLatin1String(tool);
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        missing << QStringLiteral("an X display (DISPLAY)");
    return missing;
}

bool Desktop::holdDisplay(QProcess& holder)
{
    // xdotool opens the display before it runs any command, even a pause.
    holder.start(QStringLiteral("xdotool"), {QStringLiteral("sleep"), QStringLiteral("86400")});
    // Still there after a moment: it is connected.
    return holder.waitForStarted(ToolTimeoutMs) && !holder.waitForFinished(300);
}

bool Desktop::xdotool(const QStringList& arguments, QByteArray* output)
{
    return runTool(QStringLiteral("xdotool"), arguments, output);
}

QList<Desktop::WindowId> Desktop::visibleWindows(const QString& title)
{
    QByteArray output;
    // xdotool answers 1 when nothing matches: that is an empty list, not an error.
    xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
             exactTitlePattern(title)},
            &output);
    QList<WindowId> windows;
    for (const QByteArray& line : output.split('\n')) {
        bool ok = false;
        const WindowId id = line.trimmed().toULongLong(&ok);
        if (ok)
            windows << id;
    }
    return windows;
}

QRect Desktop::geometry(WindowId window)
{
    QByteArray output;
    if (!xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"),
                  QString::number(window)},
                 &output))
        return {};
    int x = 0, y = 0, width = 0, height = 0, found = 0;
    for (const QByteArray& line : output.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray name = line.left(equals);
        const int value = line.mid(equals + 1).trimmed().toInt();
        for (auto [key, field] : {std::pair{"X", &x}, std::pair{"Y", &y},
                                  std::pair{"WIDTH", &width}, std::pair{"HEIGHT", &height}}) {
            if (name == key) {
                *field = value;
                ++found;
            }
        }
    }
    return found == 4 ? QRect(x, y, width, height) : QRect();
}

QImage Desktop::screenshot()
{
    QByteArray png;
    if (!runTool(QStringLiteral("import"),
                 {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")},
                 &png))
        return {};
    return QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
}

bool Desktop::click(QPoint at)
{
    return xdotool({QStringLiteral("mousemove"), number(at.x()), number(at.y()),
                    QStringLiteral("click"), QStringLiteral("1")});
}

bool Desktop::drag(QPoint from, QPoint to, int steps)
{
    // One xdotool run, with short pauses so that every move is its own event.
    QStringList arguments{QStringLiteral("mousemove"), number(from.x()), number(from.y()),
                          QStringLiteral("mousedown"), QStringLiteral("1")};
    for (int step = 1; step <= steps; ++step) {
        const QPoint at = from + (to - from) * step / steps;
        arguments << QStringLiteral("sleep") << QStringLiteral("0.05")
                  << QStringLiteral("mousemove") << number(at.x()) << number(at.y());
    }
    arguments << QStringLiteral("sleep") << QStringLiteral("0.05") << QStringLiteral("mouseup")
              << QStringLiteral("1");
    return xdotool(arguments);
}

bool Desktop::key(const QString& keys)
{
    return xdotool({QStringLiteral("key"), keys});
}

bool Desktop::focus(WindowId window)
{
    return xdotool({QStringLiteral("windowfocus"), QString::number(window)});
}

bool Desktop::resize(WindowId window, QSize size)
{
    return xdotool({QStringLiteral("windowsize"), QString::number(window), number(size.width()),
                    number(size.height())});
}

} // namespace kelvaris::e2e
