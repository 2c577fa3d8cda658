// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

namespace padsmith {

// Keeps an in-place editor open while something it started itself takes the focus for a moment
// (a message box about the text just typed): losing the focus then neither ends the edit nor
// drops the text, and the focus goes back to the editor afterwards.
class EditorHold {
public:
    explicit EditorHold(QWidget* editor);
    ~EditorHold();
    EditorHold(const EditorHold&) = delete;
    EditorHold& operator=(const EditorHold&) = delete;

private:
    QPointer<QWidget> editor_;
};

// True while an EditorHold keeps `editor` open.
bool editorHeld(const QWidget* editor);

} // namespace padsmith
