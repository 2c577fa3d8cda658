// SPDX-License-Identifier: GPL-3.0-or-later
// The main window and its input: focus, the event filter, closing, drops.
#include "app/AboutDialog.h"
#include "app/AudioOutMenu.h"
#include "app/Controls.h"
#include "app/DropTargets.h"
#include "app/KitFields.h"
#include "app/MainWindow.h"
#include "app/MidiRouter.h"
#include "app/Operation.h"
#include "app/PadPanel.h"
#include "app/Services.h"
#include "app/Text.h"
#include "app/WindowLayout.h"
#include "app/ZoneListPanel.h"
#include "audio/SoundSystem.h"
#include "ui/CellTableView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>

namespace padsmith {

void MainWindow::switchFocus() {
    if (keyRepeat_) {
        return; // Tab held down moves the focus once
    }
    if (zones_->hasFocus()) {
        pads_->button(kit_.currentPad)->setFocus(Qt::TabFocusReason);
    } else {
        zones_->view()->setFocus(Qt::TabFocusReason);
    }
}

void MainWindow::focusMoved(QWidget* now) {
    pads_->updateMarkers();
    // Where the focus is decides whether a MIDI note plays on its way in.
    midi_->publishDirectNotes();
    if (now == zones_->view()) {
        showSecondMenu(zoneMenu_, QStringLiteral("&Samples"));
        commands_->showTextsFor(WindowFocus::Zones);
    } else if (qobject_cast<PadButton*>(now) != nullptr) {
        showSecondMenu(padMenu_, QStringLiteral("&Pad"));
        commands_->showTextsFor(WindowFocus::Pads);
    } else {
        return;
    }
    updateCommandStates();
}

void MainWindow::showSecondMenu(QMenu* menu, const QString& title) {
    menu->setTitle(title);
    if (secondMenuEntry_ == menu->menuAction()) {
        return;
    }
    QMenuBar* bar = menuBar();
    bar->removeAction(secondMenuEntry_);
    secondMenuEntry_ = bar->insertMenu(audioOut_->menuAction(), menu);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
        type != QEvent::ShortcutOverride) {
        return QMainWindow::eventFilter(watched, event);
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    // A key event is offered again to each parent of the focused control; count it once.
    if (widget == nullptr || widget != QApplication::focusWidget() || widget->window() != this) {
        return QMainWindow::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (type == QEvent::KeyRelease) {
        if (!key->isAutoRepeat()) {
            keyRepeat_ = false;
        }
        return QMainWindow::eventFilter(watched, event);
    }
    keyRepeat_ = key->isAutoRepeat();
    if (type != QEvent::KeyPress) {
        return QMainWindow::eventFilter(watched, event);
    }
    const CommandId id = commands_->plainKeyCommand(*key);
    if (id == CommandId::SwitchFocus) {
        command(id);
        return true;
    }
    if (id != CommandId::None && commands_->isEnabled(id)) {
        // The focused control sees the key first; the command follows it.
        QMetaObject::invokeMethod(
            this,
            [this, id, pressed = key->key(), repeating = key->isAutoRepeat()] {
                commandKey_ = pressed;
                keyRepeat_ = repeating;
                command(id);
            },
            Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The window's close button during a read or save: that work ends first. Exit comes as a
    // command and is let through.
    if (event->spontaneous() && operationRunning()) {
        event->ignore();
        return;
    }
    if (!endOpenEdits()) {
        event->ignore();
        return;
    }
    const OperationScope operation;
    if (!document_.queryClose()) {
        event->ignore();
        return;
    }
    if (about_ != nullptr) {
        about_->close();
    }
    // Close the audio stream while the event loop still runs: Qt's PulseAudio back end may
    // abort when a stream is still closing at exit.
    sound().closeOutput();
    saveWindowGeometry(*this, settings_);
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    drops_->dragMove(event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    drops_->dragMove(event);
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (operationRunning() || !endOpenEdits()) {
        return;
    }
    drops_->drop(event);
}

} // namespace padsmith
