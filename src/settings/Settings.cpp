#include "settings/Settings.h"

#include "platform/Ansi.h"
#include "platform/NativePath.h"
#include "platform/ProfileFile.h"
#include "platform/RegularFile.h"
#include "platform/Runtime.h"

#include <QDir>
#include <QLocale>
#include <QRegularExpression>

#include <climits>
#include <cmath>

namespace kelvaris {

namespace {
const QString BaseName = QStringLiteral("kelvaris");
const QString Extension = QStringLiteral(".ini");
// The room offered to the profile function, its terminator included: enough
// for the longest path the platform allows, so that a reception directory
// the program stored always reads back whole.
const int ReadBufferOffered = longestPathBytes() + 1;
} // namespace

bool Settings::LoadSettings()
{
    AppDir = executableDir();
    // One separator whatever AppDir ends with: a doubled one is harmless.
    SettingsFilePath = AppDir + QLatin1Char('/') + BaseName + Extension;
    ReceptionDir = ReadSetting(setting::RepBase);
    if (!DirExists(ReceptionDir))
        ReceptionDir.clear();
    if (!FileExists(SettingsFilePath)) {
        MsgBox(QStringLiteral("Fichier de conf : ") + SettingsFilePath, MessageButtons::Ok,
               QStringLiteral("Kelvaris"));
        MsgBox(QStringLiteral("Fichier de configuration (") + BaseName + Extension +
                   QStringLiteral(") introuvable. Ce fichier doit se trouver dans le même "
                                  "répertoire que l'exécutable de l'application Ondel (") +
                   AppDir + QStringLiteral(" dans le cas présent)."),
               MessageButtons::OkCancel, QStringLiteral("Attention"));
        End();
        return false;
    }
    return true;
}

QString Settings::ReadSetting(const QString& section, const QString& key) const
{
    const QByteArray value = getPrivateProfileString(
        toAnsi(section), toAnsi(key), toAnsi(MissingValue), ReadBufferOffered, SettingsFilePath);
    // A value that fills the room may have been cut inside a character.
    const bool cut = value.size() == ReadBufferOffered - 1;
    return TrimAtNul(cut ? fromAnsiCut(value) : fromAnsi(value));
}

void Settings::WriteSetting(const QString& section, const QString& key, const QString& value) const
{
    writePrivateProfileString(toAnsi(section), toAnsi(key), toAnsi(value), SettingsFilePath);
}

bool FileExists(const QString& path)
{
    // Only a regular file: a named pipe of that name would keep start-up
    // waiting for a writer for ever, and a device would be read for ever.
    return canReadRegularFile(path);
}

bool DirExists(const QString& path)
{
    const QString saved = QDir::currentPath();
    const bool exists = !path.isEmpty() && QDir::setCurrent(path);
    QDir::setCurrent(saved);
    return exists;
}

QString TrimAtNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

QString singleToText(float value)
{
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e7f)
        return QString::number(static_cast<qint64>(value));
    QString text = QString::number(static_cast<double>(value), 'g', 7);
    // Exponents are written "E+07", as the classic conversion writes them.
    return text.replace(QLatin1Char('e'), QLatin1Char('E'));
}

bool textToSingle(const QString& text, float* value)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?(\\d+([.,]\\d*)?|[.,]\\d+)([eE][+-]?\\d+)?\\s*$"));
    if (!number.match(text).hasMatch())
        return false;
    QString plain = text.trimmed();
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const float parsed = QLocale::c().toFloat(plain, &ok);
    if (!ok || !std::isfinite(parsed))
        return false;
    *value = parsed;
    return true;
}

} // namespace kelvaris
