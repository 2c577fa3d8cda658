// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Commands.h"

#include <QMap>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <Qt>
#include <functional>

class QDragMoveEvent;
class QDropEvent;
class QWidget;

namespace padsmith {

class Audition;
class Document;
class EditPath;
class FormatsModule;
class KitDocument;
class PadPanel;
class ZoneCommands;
class ZoneListPanel;

// What files dropped on the window do. Samples dropped on a pad are added to it (Shift: as
// velocity layers; Control: on the first empty pad instead); dropped on a row of the zone list
// they replace that row and the rows after it, as Import does with that row current; below the
// last row, and anywhere else on the window, they are added to the current pad. A kit script
// opens as a kit; a folder is offered as a new kit; a MIDI file plays as a groove. Samples the
// plug-in cannot play as they are (FLAC, Ogg) are decoded as Import Kit decodes them, into the
// user's cache, and the first save moves the copies into the kit's sample folder. Every drop is
// taken as a copy, so the file manager never deletes what was dropped, and every drop is one undo
// step.
class DropTargets : public QObject, public CommandRunner {
    Q_OBJECT
public:
    struct Services {
        QWidget& window; // where drops land, and the owner of the dialogs
        KitDocument& kit;
        Document& document;
        EditPath& edits;
        PadPanel& pads;
        ZoneListPanel& zones;
        ZoneCommands& zoneCommands;
        Audition& audition;
        FormatsModule& formats;                         // decodes FLAC and Ogg
        std::function<void()> commandsChanged;          // the enabling is due again
        std::function<void(const QString&)> playGroove; // a MIDI file, looped through the kit
    };
    explicit DropTargets(Services services);

    // New Kit from Folder.
    void run(CommandId id, int index) override;

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
    // Decoded copies of dropped files, each with the file it was decoded from.
    using Origins = QMap<QString, QString>;
    // Decodes `files` into WAV copies: those that decode join `samples` (their originals in
    // `origins`), the others go to `undecodable` as "file: why". False when the user
    // cancelled.
    bool decode(const QStringList& files, QStringList& samples, Origins& origins,
                QStringList& undecodable);
    void addSamples(const QStringList& samples, const Origins& origins, Target target,
                    Qt::KeyboardModifiers modifiers);

    Services s_;
};

} // namespace padsmith
