#pragma once

#include <QString>

namespace kelvaris {

// The settings file `kelvaris.ini` beside the executable: the reception
// directory and the main window's outer size and position.

// What a read returns for a missing file, section or key; readers treat a
// value of exactly this text as absent.
inline const QString MissingValue = QStringLiteral("###");

// Every key the program reads or writes, in one table.
struct SettingName
{
    QString section;
    QString key;
};
namespace setting {
inline const SettingName RepBase{QStringLiteral("Répertoires"), QStringLiteral("RepBase")};
inline const SettingName Width{QStringLiteral("Fenetre"), QStringLiteral("Width")};
inline const SettingName Height{QStringLiteral("Fenetre"), QStringLiteral("Height")};
inline const SettingName Top{QStringLiteral("Fenetre"), QStringLiteral("Top")};
inline const SettingName Left{QStringLiteral("Fenetre"), QStringLiteral("Left")};
} // namespace setting

class Settings
{
public:
    // Finds the settings file beside the executable and reads the reception
    // directory. When the file is missing or unreadable, tells the user in
    // two messages and ends the program; returns false then (when End returns).
    bool LoadSettings();

    // The value of `key` in `section`, cut at a NUL; MissingValue when there
    // is none. A value as long as the longest path the platform allows
    // (4095 bytes on Linux) reads whole; a longer one is cut there, on a
    // whole character.
    QString ReadSetting(const QString& section, const QString& key) const;
    QString ReadSetting(const SettingName& name) const
    {
        return ReadSetting(name.section, name.key);
    }

    // Stores `value`; a failure to write is not reported.
    void WriteSetting(const QString& section, const QString& key, const QString& value) const;
    void WriteSetting(const SettingName& name, const QString& value) const
    {
        WriteSetting(name.section, name.key, value);
    }

    QString AppDir;           // directory of the running executable
    QString SettingsFilePath; // AppDir/kelvaris.ini
    QString ReceptionDir;     // "RepBase" when it names an existing directory, else empty
};

// True when the file can be opened for reading. Only a regular file
// counts: a named pipe, a device or a directory is never opened for a
// blocking read.
bool FileExists(const QString& path);
// True when `path` can be made the current directory; the current
// directory is the same afterwards in both outcomes.
bool DirExists(const QString& path);
// The characters of `text` before its first NUL (all of it when it has none).
QString TrimAtNul(const QString& text);

// A window value as text, and back: the decimal text of a single-precision
// number ("10890", "-7.5", "1.234568E+07"). Reading accepts a decimal point
// or comma and nothing else around the number; anything else is no number.
QString singleToText(float value);
bool textToSingle(const QString& text, float* value);

} // namespace kelvaris
