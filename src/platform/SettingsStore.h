// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSettings>
#include <QString>
#include <memory>
#include <string>

namespace padsmith {

// The program's settings: QSettings("Mervane", "Padsmith"), that is the registry key
// HKCU\Software\Mervane\Padsmith on Windows and ~/.config/Mervane/Padsmith.conf on Linux.
class SettingsStore {
public:
    SettingsStore();
    // A store in one INI file, for tests and the demo.
    explicit SettingsStore(const QString& iniFile);

    bool valueExists(const QString& name) const;
    // The default when the value is missing.
    QString readString(const QString& name, const QString& fallback = {}) const;
    int readNumber(const QString& name, int fallback) const;
    void writeString(const QString& name, const QString& text);
    void writeNumber(const QString& name, int value);
    void deleteValue(const QString& name);
    void sync();

    // Where the settings live: the INI file, or on Windows the registry key.
    QString location() const;
    // Whether anything has been stored yet.
    bool exists() const;
    // Removes every setting of the program: the file is deleted (and the user's own store
    // takes its folder with it when nothing else is left in it), the registry key emptied.
    // False when it could not be done.
    bool removeAll();

private:
    std::unique_ptr<QSettings> settings_;
    bool usersOwn_ = false; // the user's own store, not a file named by the caller
};

// The code page in which the plug-in reads kit scripts and instrument files, by name: the value
// "CodePage", "Windows-1252" when it is missing or empty. The kit core knows which names it
// offers; a name it does not know is the caller's to report.
QString readCodePageName(const SettingsStore& settings);
// True when the value "CodePage" names a code page: the user chose it.
bool codePageNamed(const SettingsStore& settings);
void writeCodePageName(SettingsStore& settings, const QString& name);

// Foreign values, read only. The VST plug-in folder: "VSTPluginsPath" of HKLM\SOFTWARE\VST on
// Windows, elsewhere the first folder of $VST_PATH, else ~/.vst.
QString vstPluginsPath();
// The user's documents folder ("Personal").
QString personalFolder();

} // namespace padsmith
