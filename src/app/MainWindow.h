// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Commands.h"
#include "app/Document.h"
#include "app/EditorOptions.h"
#include "app/KitFields.h"
#include "kit/KitDocument.h"
#include "kit/SampleFolders.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <string>

class QMenu;

namespace padsmith {

class AboutDialog;
class AnimationControl;
class Audition;
class AudioOutMenu;
class MidiRouter;
class ClickLabel;
class DropTargets;
class GrooveCommands;
class EditPath;
class FormatsModule;
class HealthPanel;
class KitFields;
class PadMapPanel;
class PadPanel;
class CacheFill;
class SampleCache;
class SampleFactsCache;
class SettingsStore;
class SoundSystem;
namespace formats {
class KitFormats;
}
class WindowKitHost;
class ZoneCommands;
class ZoneListPanel;

// The editor's one window: the layout of the kit fields, the pad panel, the zone list and the
// picture; the menus; and the wiring of the parts, each given the few services it uses. A
// command goes to the part its table row names.
class MainWindow : public QMainWindow, private DocumentWindow, private CommandRunner {
    Q_OBJECT
public:
    MainWindow(SettingsStore& settings, const QString& pluginFolder, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The settings-dependent part of start-up, from the document's initialisation to the
    // reopening of the last kit (skipped when `reopenLastKit` is false).
    void startUp(bool reopenLastKit);
    // The part of start-up that can wait until the window is on screen: the window's icon, the
    // list of audio outputs and the stored choice among them, and the filling of the sample
    // cache.
    void startBackgroundWork();

    // Every menu entry, key and click comes here: the command goes to the part its row names
    // (whatever has the focus, or the pads or the zone list by focus); then the enabling.
    // `index` is the pad of RenamePad.
    void command(CommandId id, int index = 0);
    void updateCommandStates();
    // Ends an open cell edit or pad rename by committing it, before a command that could
    // lose or misplace what was typed. False when the typed text was refused: the editor
    // stays open with it and the command must not go on.
    bool endOpenEdits();

    // Puts the kit's fields and pad names on the window again.
    void showKit() override;

    // The kit, its document and its one edit path.
    Document& document() { return document_; }
    KitDocument& kit() { return kit_; }
    EditPath& editPath() { return *edits_; }
    EditorOptions& options() { return options_; }
    // Previews, notes and MIDI: silent until setSound() gives the real ones.
    SoundSystem& sound();
    void setSound(std::unique_ptr<SoundSystem> sound);
    // Other samplers' kits from `formats` instead of their module.
    void setKitFormats(std::unique_ptr<formats::KitFormats> formats);
    // Opens the MIDI inputs of the sound system (as the settings or the environment name
    // them); their notes go to the MIDI router, and the output is made ready for the first one.
    void startMidi();
    SampleCache& sampleCache() { return *cache_; }
    // Files handed over from outside (a later start, the command line) are dropped here.
    DropTargets& dropTargets() const { return *drops_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildParts();
    void buildMenus();
    void buildHealthPanel();
    // The window's own commands.
    void run(CommandId id, int index) override;
    CommandRunner* runner(CommandPart part);
    void switchFocus();
    void focusMoved(QWidget* now);
    void showSecondMenu(QMenu* menu, const QString& title);
    void showEditedPads(const QList<int>& pads);
    // After an undo or redo: the pad it changed, with the rows it changed selected.
    void showUndoneEdit(int pad, const QList<int>& rows);
    void toggleShareSamples();
    void showSampleFolder();
    void revertToSaved();
    void deleteUnusedSamples();
    void exploreKitFolder();
    void showAbout();
    // Queues the kit's samples for the cache and forgets those the kit no longer plays.
    void refillSampleCache();
    // Has the kit checked again; before the window is first shown, only once it is.
    void checkHealth(bool folders);

    // DocumentWindow
    QWidget* documentWidget() override { return this; }
    KitLocation kitLocation() override;
    KitHost& kitHost() override;
    SampleFinder& sampleFinder() override { return finder_; }
    void collectKitFields() override;
    void kitReplaced() override;
    void kitSaved() override;

    SettingsStore& settings_;
    QString pluginFolder_;
    KitDocument kit_;
    EditorOptions options_;
    std::unique_ptr<WindowKitHost> host_;
    SampleFinder finder_;
    Document document_;
    std::unique_ptr<SampleCache> cache_;
    std::unique_ptr<CacheFill> cacheFill_;
    std::shared_ptr<SampleFactsCache> facts_;
    std::unique_ptr<Audition> audition_;
    std::unique_ptr<FormatsModule> formats_;
    std::unique_ptr<CommandRunner> documentCommands_;
    bool backgroundStarted_ = false;
    bool healthFolders_ = false; // a check asked for before the start also gathers folders
    CommandTable* commands_ = nullptr;
    EditPath* edits_ = nullptr;

    // Where the focus last was of the pads and the zone list: their commands' enabling follows
    // it while a dialog, a menu or another program has the focus.
    WindowFocus lastFocus_ = WindowFocus::Pads;
    bool keyRepeat_ = false;
    int commandKey_ = 0; // the key of the last command given by a key without Ctrl or Alt

    KitFields* fields_ = nullptr;
    ClickLabel* picture_ = nullptr;
    AnimationControl* animation_ = nullptr;
    ZoneListPanel* zones_ = nullptr;
    PadPanel* pads_ = nullptr;
    ZoneCommands* zoneCommands_ = nullptr;
    CommandRunner* instruments_ = nullptr;
    CommandRunner* foreignKits_ = nullptr;
    HealthPanel* health_ = nullptr;
    DropTargets* drops_ = nullptr;
    GrooveCommands* grooves_ = nullptr;
    MidiRouter* midi_ = nullptr;
    PadMapPanel* padMap_ = nullptr;

    QMenu* fileMenu_ = nullptr;
    QMenu* padMenu_ = nullptr;
    QMenu* zoneMenu_ = nullptr;
    AudioOutMenu* audioOut_ = nullptr;
    QAction* secondMenuEntry_ = nullptr;
    QPointer<AboutDialog> about_;
};

} // namespace padsmith
