// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace padsmith {

class Dialogs;
class MainWindow;
class SettingsStore;

inline const QString kPluginLibrary = QStringLiteral("Zarvo.dll");

// The plug-in folder, ending with a separator: "ZVDIR", else the VST folder's "Zarvo"
// subfolder, else the folder the user picks, until the folder holds "Zarvo.dll". Every guess
// is written as "ZVDIR". Nothing when the user cancels.
std::optional<QString> findPluginFolder(SettingsStore& settings, Dialogs& dialogs);

// What names one editor for the single-instance guard: its settings store.
QString editorInstanceKey(const SettingsStore& settings);

// Opens a kit handed over from outside (the command line, a later start) as a dropped file is
// opened. While the editor is busy or waits for an answer it is tried again afterwards, so a
// question about the open kit is never skipped.
void openKitFromOutside(MainWindow& window, const QString& path);

// The part of start-up that waits until the window is on screen: the sound module is loaded
// from the first of `moduleFolders` that holds it (without it the editor says so and runs
// silent and without MIDI), the MIDI inputs are opened, and the background work starts.
void startSoundAndMidi(MainWindow& window, const QStringList& moduleFolders);

// The whole run of the editor: the command line (see editorHelpText), start-up, the window,
// the event loop. Returns the exit code.
int runEditor(int argc, char** argv);

} // namespace padsmith
