// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CodePageInput.h"

#include "app/Services.h"
#include "app/Text.h"
#include "ui/EditorHold.h"

#include <QEvent>
#include <QLineEdit>
#include <QMetaObject>

namespace padsmith {

QString codePageRefusalText(const CodePage& page, const QString& text) {
    const auto refusal = codePageRefusal(page, toStd(text));
    return refusal ? fromStd(*refusal) : QString();
}

bool acceptTypedText(const CodePage& page, const QString& text) {
    const QString refusal = codePageRefusalText(page, text);
    if (refusal.isEmpty()) {
        return true;
    }
    messageBox(MessageButtons::Ok, MessageIcon::Warning, refusal);
    return false;
}

CodePageValidator::CodePageValidator(PageSource page, QString refused, QLineEdit* edit)
    : QValidator(edit), page_(std::move(page)), refused_(std::move(refused)) {
    edit->installEventFilter(this);
}

bool CodePageValidator::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::MouseButtonRelease: // a paste by the middle button
        // The box validates while it handles the event; the mark goes when that is over.
        userInput_ = true;
        QMetaObject::invokeMethod(
            this, [this] { userInput_ = false; }, Qt::QueuedConnection);
        break;
    default:
        break;
    }
    return QValidator::eventFilter(watched, event);
}

QValidator::State CodePageValidator::validate(QString& input, int& /*pos*/) const {
    for (const QChar c : refused_) {
        if (input.contains(c)) {
            return Invalid;
        }
    }
    // A text the program puts into the box (a kit's own, or while the window goes) is shown as
    // it is; saving it is where the code page is asked then.
    if (!userInput_) {
        return Acceptable;
    }
    const QString refusal = codePageRefusalText(page_(), input);
    if (refusal.isEmpty()) {
        return Acceptable;
    }
    // A message box in the middle of the line edit's key handling would take the focus from
    // it: the user is told when the key press is over, once however many keys were refused.
    if (pendingMessage_.isEmpty()) {
        auto* self = const_cast<CodePageValidator*>(this);
        QMetaObject::invokeMethod(
            self, [self] { self->tellPending(); }, Qt::QueuedConnection);
    }
    pendingMessage_ = refusal;
    return Invalid;
}

void CodePageValidator::tellPending() {
    const QString message = pendingMessage_;
    pendingMessage_.clear();
    if (!message.isEmpty()) {
        // The box goes on with what was typed before the refused character.
        const EditorHold hold(qobject_cast<QWidget*>(parent()));
        messageBox(MessageButtons::Ok, MessageIcon::Warning, message);
    }
}

} // namespace padsmith
