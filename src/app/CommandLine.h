// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <iosfwd>

namespace padsmith {

// What the editor's command line asks for. The editor opens at most one kit named on it (as
// a file manager's "Open with" does); the other words ask for something instead of the window.
struct EditorArguments {
    enum class Action { Edit, Help, Version, Uninstall, Invalid };
    Action action = Action::Edit;
    QString kitFile;      // the first file named, as given
    QString settingsFile; // --settings FILE: an INI file instead of the user's own store
    bool yes = false;     // --yes: --uninstall asks nothing
    QString error;        // what is wrong, for Invalid
};

// `arguments` as the program got them, the program itself first. Options of one dash belong
// to Qt and are skipped (Qt takes them off before the second reading, after it started).
EditorArguments parseEditorArguments(const QStringList& arguments);

// The text of `padsmith --help`.
QString editorHelpText();

// `padsmith --uninstall`: removes what the editor wrote for this user (its settings), after a
// question answered on `in` unless `arguments.yes`, and tells where the user's kits and
// samples are, which stay. Returns the exit code: 0 removed or nothing to remove, 1 not
// removed (the reason on `err`).
int uninstallUserData(const EditorArguments& arguments, std::istream& in, std::ostream& out,
                      std::ostream& err);

} // namespace padsmith
