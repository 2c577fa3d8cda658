// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Operation.h"

#include "app/Services.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace padsmith {

namespace {

int operationDepth = 0;

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

// Input from the window system reaches the window's QWindow first (a click gives the focus
// there, before any widget sees it), posted input reaches the widget: both are looked at.
class InputGuard : public QObject {
public:
    explicit InputGuard(QWidget* window) : QObject(window), window_(window) {}

    bool eventFilter(QObject* target, QEvent* event) override {
        if (!operationRunning() || !isUserInput(event->type()) || window_ == nullptr) {
            return false;
        }
        if (const auto* widget = qobject_cast<QWidget*>(target)) {
            return widget->window() == window_;
        }
        if (const auto* surface = qobject_cast<QWindow*>(target)) {
            return surface == window_->windowHandle();
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
};

} // namespace

OperationScope::OperationScope() {
    ++operationDepth;
}

OperationScope::~OperationScope() {
    --operationDepth;
}

bool repaintDuringOperation() {
    const OperationScope operation;
    return pumpMessages();
}

bool operationRunning() {
    return operationDepth > 0 || busyCursorShown();
}

void dropInputDuringOperations(QWidget* window) {
    if (window != nullptr && qApp != nullptr) {
        qApp->installEventFilter(new InputGuard(window));
    }
}

} // namespace padsmith
