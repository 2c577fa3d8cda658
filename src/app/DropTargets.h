// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <Qt>

class QDragMoveEvent;
class QDropEvent;

namespace padsmith {

class MainWindow;

// What files dropped on the window do. Samples dropped on a pad are added to it (Shift: as
// velocity layers; Control: on the first empty pad instead); dropped on a row of the zone list
// they replace that row and the rows after it, as Import does with that row current; below the
// last row, and anywhere else on the window, they are added to the current pad. A kit script
// opens as a kit; a folder is offered as a new kit. Every drop is taken as a copy, so the file
// manager never deletes what was dropped, and every drop is one undo step.
class DropTargets : public QObject {
    Q_OBJECT
public:
    explicit DropTargets(MainWindow& window);

    // Where on the window a drop lands.
    struct Target {
        enum class Kind { Window, Pad, Row, ListEnd };
        Kind kind = Kind::Window;
        int index = -1; // the pad or the row
    };
    Target targetAt(const QPoint& windowPosition) const;

    // Drag enter and move: any drop of local files is taken, always as a copy.
    void dragMove(QDragMoveEvent* event);
    void drop(QDropEvent* event);
    // The drop of `paths` (local files and folders) on `target`, with `modifiers` held.
    void dropFiles(const QStringList& paths, Target target, Qt::KeyboardModifiers modifiers);

    // File > "New Kit from Folder...": asks to save a modified kit, then for the folder (none
    // asked when `folder` is given), shows the pads its samples make, and on OK replaces the
    // kit with them, unsaved, as one undo step.
    void newKitFromFolder(const QString& folder = {});

private:
    void addSamples(const QStringList& samples, Target target, Qt::KeyboardModifiers modifiers);

    MainWindow& window_;
};

} // namespace padsmith
