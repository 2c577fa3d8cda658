#pragma once

#include <QString>
#include <optional>

namespace padsmith {

class Dialogs;
class SettingsStore;

inline const QString kPluginLibrary = QStringLiteral("Zarvo.dll");

// The plug-in folder, ending with a separator: "ZVDIR", else the VST folder's "Zarvo"
// subfolder, else the folder the user picks, until the folder holds "Zarvo.dll". Every guess
// is written as "ZVDIR". Nothing when the user cancels.
std::optional<QString> findPluginFolder(SettingsStore& settings, Dialogs& dialogs);

// The whole run of the editor: start-up, the window, the event loop. Returns the exit code.
// Options: --settings FILE keeps the settings in that INI file instead of the user's.
int runEditor(int argc, char** argv);

} // namespace padsmith
