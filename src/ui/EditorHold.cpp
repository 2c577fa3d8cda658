// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/EditorHold.h"

namespace padsmith {

namespace {

constexpr const char* kHolds = "padsmithEditorHolds";

} // namespace

EditorHold::EditorHold(QWidget* editor) : editor_(editor) {
    if (editor != nullptr) {
        editor->setProperty(kHolds, editor->property(kHolds).toInt() + 1);
    }
}

EditorHold::~EditorHold() {
    QWidget* editor = editor_.data();
    if (editor == nullptr) {
        return;
    }
    const int holds = editor->property(kHolds).toInt() - 1;
    editor->setProperty(kHolds, holds);
    if (holds <= 0 && editor->isVisible()) {
        // Without a window manager nobody gives the focus back once the box has gone.
        editor->activateWindow();
        editor->setFocus(Qt::OtherFocusReason);
    }
}

bool editorHeld(const QWidget* editor) {
    return editor != nullptr && editor->property(kHolds).toInt() > 0;
}

} // namespace padsmith
