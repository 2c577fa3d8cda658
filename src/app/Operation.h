// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace padsmith {

// One command or long operation of the window at a time. While one runs (reading, saving,
// searching, cleaning, or any command), the events it lets through so that the window repaints
// must not start another: commands that arrive meanwhile are dropped, and so are user input
// aimed at the main window and MIDI notes. Dialogs that the operation opens are windows of
// their own and stay usable.
class OperationScope {
public:
    OperationScope();
    ~OperationScope();
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;
};

// Lets waiting events run so that the window repaints during long work. Whatever the user does
// meanwhile is dropped as during any operation: nothing may change the kit under the work's
// feet. False once the application is shutting down.
bool repaintDuringOperation();

// True while an operation runs, or the busy cursor is shown.
bool operationRunning();

// Drops user input (keys, clicks, the wheel, drops, context menus) meant for `window` while an
// operation runs. Installed once, for the application's lifetime or the window's.
void dropInputDuringOperations(QWidget* window);

} // namespace padsmith
