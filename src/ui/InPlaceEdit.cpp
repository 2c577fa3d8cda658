// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/InPlaceEdit.h"

#include "ui/EditorHold.h"

#include <QKeyEvent>

namespace padsmith {

InPlaceEdit::InPlaceEdit(QWidget* over) : QLineEdit(over) {
    setFrame(true);
    setFont(over->font());
    setAlignment(Qt::AlignCenter);
    hide();
}

void InPlaceEdit::start(const QString& text, QWidget* returnFocusTo) {
    returnFocusTo_ = returnFocusTo;
    setGeometry(parentWidget()->rect());
    setText(text);
    selectAll();
    editing_ = true;
    show();
    raise();
    setFocus(Qt::OtherFocusReason);
}

void InPlaceEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        finish(true);
        return;
    case Qt::Key_Escape:
        finish(false);
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void InPlaceEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A popup menu takes the focus only while it is open, a message about the text only until
    // it is read.
    if (event->reason() != Qt::PopupFocusReason && !editorHeld(this)) {
        finish(false);
    }
}

void InPlaceEdit::finish(bool commit) {
    if (!editing_) {
        return;
    }
    editing_ = false;
    const QString typed = text();
    hide();
    if (returnFocusTo_ != nullptr) {
        returnFocusTo_->setFocus(Qt::OtherFocusReason);
    }
    if (commit) {
        emit committed(typed);
    } else {
        emit cancelled();
    }
}

} // namespace padsmith
