// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Dialogs.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace padsmith {

inline const QString kProgramName = QStringLiteral("Padsmith");

// The dialogs every part of the window asks through: the desktop's own until a test installs
// a fake. Passing nullptr goes back to the desktop's.
Dialogs& dialogs();
void setDialogs(Dialogs* replacement);

// The owner of message boxes; none before the main window exists.
void setMainWindow(QWidget* window);
QWidget* mainWindow();

// The one message box of the program: caption "Padsmith", the owner above, the focus given
// back afterwards. Returns the MessageAnswer pressed; 0 without showing anything while another
// of these boxes is open; -1 after showing "??? ERROR ???" for an empty text.
int messageBox(MessageButtons buttons, MessageIcon icon, const QString& text);
inline int messageOk(const QString& text) {
    return messageBox(MessageButtons::Ok, MessageIcon::None, text);
}

// Sets `window`'s title to its base (the text before the first " - [") followed by
// " - [detail]"; an empty detail leaves the base alone. A call made while another runs, or
// without a window, changes nothing.
void setTitleDetail(QWidget* window, const QString& detail);

// Busy cursor: calls nest, the normal cursor comes back with the last "off".
void setBusyCursor(bool busy);
bool busyCursorShown();

// Lets waiting window events run. False once the application is shutting down. Call it
// through repaintDuringOperation (app/Operation), which keeps input out meanwhile.
bool pumpMessages();

enum class ProgramStart { Started, NotFound, Failed };
// Starts `program` with `argument` as its one argument (none when empty), detached.
ProgramStart runProgram(const QString& program, const QString& argument);

// The user's login name, at most 64 characters.
QString loginName();

} // namespace padsmith
