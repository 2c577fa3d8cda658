// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Commands.h"
#include "app/Dialogs.h"
#include "kit/KitScript.h"
#include "kit/ZoneCommands.h"
#include "kit/ZoneFiles.h"

#include <QList>
#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace padsmith {

class Audition;
class Document;
class EditPath;
class EditorOptions;
class KitDocument;
class KitHost;
class SettingsStore;
class ZoneListPanel;

// The commands on the zones of the current pad, while the zone list has the focus: import
// samples, rename a sample, move zones (Copy then Paste, or a row drag), delete zones (and
// their files on request), and the external wave editor. Each change of the kit is one undo
// step; every command stops the preview before it touches a file.
class ZoneCommands : public QObject, public CommandRunner {
    Q_OBJECT
public:
    struct Services {
        QWidget& owner; // of the dialogs
        KitDocument& kit;
        EditPath& edits;
        KitHost& host;
        Document& document; // the kit's file and title
        ZoneListPanel& zones;
        Audition& audition;
        EditorOptions& options;
        SettingsStore& settings;
        std::function<KitLocation()> location;
        std::function<void(const QString&)> status; // a line in the window's status bar
    };
    explicit ZoneCommands(Services services);

    // Import samples, Copy, Paste, Delete, Edit and Select Wave Editor.
    void run(CommandId id, int index) override;

    // Brings audio files into the current pad, from the current row on (see importZones).
    void importSamples();
    // Brings `files` into the current pad from `row` on (-1: appended), as one undo step named
    // `editName` (the import's own name when empty). With `layers` the pad's zones on the key
    // the files took become velocity layers, softest first, in that same step. Decoded copies
    // among the files name the drum and the user by their originals in `decodedFrom`.
    void importFiles(int row, const std::vector<std::filesystem::path>& files, bool layers = false,
                     const std::string& editName = {}, const DecodedFrom& decodedFrom = {});
    // The end of an edit of the Sample cell of `row`: the sample file gets the typed name.
    void renameSample(int row, const QString& name);
    // Copy: the selected rows are remembered for a later Paste (or a row drag starts).
    void rememberSelection();
    void rememberRows(const QList<int>& rows);
    // Paste, or the drop of a row drag: the remembered rows move to `target`, keeping their
    // spacing. Stale rows (another pad, zones added or removed since) move nothing.
    void moveRememberedRows(int target);
    // Delete, and with Shift held (and confirmed) the source files from disk as well.
    void deleteZones();
    // Ctrl+E: the selected zones' samples in the wave editor.
    void editInWaveEditor();
    // Lets the user choose the wave editor; false when cancelled.
    bool selectWaveEditor();

    // A pad took the focus: the remembered rows are forgotten.
    void forgetRememberedRows() { remembered_ = {}; }
    bool hasRememberedRows() const { return !remembered_.rows.empty(); }
    // The kit was replaced by a read: appended zones take the key range of its last zone.
    void kitReplaced();

    // The filters and the first folder of the two file dialogs.
    static FileFilter sampleFilter();
    static FileFilter waveEditorFilter();
    static QString programFolder();

private:
    QString previewInDialog(const QString& path);

    Services s_;
    RememberedRows remembered_;
    ImportKeyRange keyRange_;
    QString lastPreviewed_; // the file the sample dialog auditioned last, for the whole run
};

} // namespace padsmith
