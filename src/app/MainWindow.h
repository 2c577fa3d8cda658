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
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QMenu;

namespace padsmith {

class AboutDialog;
class AnimationControl;
class AudioOutMenu;
class MidiRouter;
class ClickLabel;
class DropTargets;
class EditPath;
class HealthPanel;
class PadButton;
class PadMapPanel;
class PadPanel;
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
class CellTableView;

// The editor's one window: the layout of the kit fields, the pad panel, the zone list and the
// picture; the menus; and the routing of every command to the part that owns it.
class MainWindow : public QMainWindow, private DocumentWindow {
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

    // Every menu entry and key comes here: the document first, then the window's own
    // commands, then the zone list or the pads by focus; then the enabling.
    void command(CommandId id);
    void updateCommandStates();
    // Ends an open cell edit or pad rename by committing it, before a command that could
    // lose or misplace what was typed. False when the typed text was refused: the editor
    // stays open with it and the command must not go on.
    bool endOpenEdits();
    // A command the window handles whatever has the focus (replaces an earlier handler).
    void setCommandHandler(CommandId id, std::function<void()> handler);

    // Puts the kit's fields and pad names on the window again.
    void showKit() override;

    Document& document() { return document_; }
    KitDocument& kit() { return kit_; }
    KitHost& kitHost() override;
    // Searches samples that moved, for kit reads and instrument imports.
    SampleFinder& sampleFinder() override { return finder_; }
    EditPath& editPath() { return *edits_; }
    CommandTable& commands() { return *commands_; }
    EditorOptions& options() { return options_; }
    const QString& pluginFolder() const { return pluginFolder_; }
    bool shareSamples() const { return options_.shareSamples(); }
    int outputDevice() const { return options_.outputDevice(); }
    const QString& waveEditor() const { return options_.waveEditor(); }
    bool keyRepeating() const { return keyRepeat_; }
    // Previews, notes and MIDI: silent until setSound() gives the real ones.
    SoundSystem& sound() { return *sound_; }
    void setSound(std::unique_ptr<SoundSystem> sound);
    // Opens the MIDI inputs of the sound system (as the settings or the environment name
    // them); their notes go to midiRouter(), and the output is made ready for the first one.
    void startMidi();
    SampleCache& sampleCache() { return *cache_; }
    // Other samplers' kits in and out, from their module loaded on first use; null when it
    // cannot be loaded, and `error` says why.
    formats::KitFormats* kitFormats(QString& error);
    void setKitFormats(std::unique_ptr<formats::KitFormats> formats);
    // Format, level and envelope of the kit's samples, measured in the background.
    const std::shared_ptr<SampleFactsCache>& sampleFacts() const { return facts_; }
    HealthPanel& healthPanel() const { return *health_; }
    MidiRouter& midiRouter() const { return *midi_; }

    PadPanel& padPanel() const { return *pads_; }
    PadMapPanel& padMapPanel() const { return *padMap_; }
    ZoneListPanel& zonePanel() const { return *zones_; }
    ZoneCommands& zoneCommands() const { return *zoneCommands_; }
    DropTargets& dropTargets() const { return *drops_; }
    CellTableView* zoneList() const;
    PadButton* padButton(int pad) const;
    ClickLabel* padLabel(int pad) const;
    ClickLabel* kitNameField() const { return fields_->kitName(); }
    QLabel* kitSizeField() const { return fields_->kitSize(); }
    ClickLabel* sampleFolderField() const { return fields_->sampleFolder(); }
    QLineEdit* copyrightField() const { return fields_->copyright(); }
    ClickLabel* picture() const { return picture_; }
    AnimationControl* animation() const { return animation_; }
    QMenu* fileMenu() const { return fileMenu_; }
    QMenu* padMenu() const { return padMenu_; }
    QMenu* zoneMenu() const { return zoneMenu_; }
    AudioOutMenu* audioOutMenu() const { return audioOut_; }
    AboutDialog* aboutDialog() const;
    // The action with this id: the command table's, else an entry of the File or "Audio Out"
    // menu (recent files, outputs).
    QAction* action(CommandId id) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void buildHealthPanel();
    void registerOwnCommands();
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
    void collectKitFields() override;
    void kitReplaced() override;
    void kitSaved(const std::map<std::string, std::string>& movedSources) override;

    SettingsStore& settings_;
    QString pluginFolder_;
    KitDocument kit_;
    EditorOptions options_;
    std::unique_ptr<WindowKitHost> host_;
    SampleFinder finder_;
    Document document_;
    std::unique_ptr<SampleCache> cache_;
    std::shared_ptr<SampleFactsCache> facts_;
    std::unique_ptr<SoundSystem> sound_;
    std::unique_ptr<formats::KitFormats> formats_;
    bool backgroundStarted_ = false;
    bool healthFolders_ = false;         // a check asked for before the start also gathers folders
    std::vector<std::string> filledSet_; // the samples the cache was last asked to hold
    MidiRouter* midi_ = nullptr;
    CommandTable* commands_ = nullptr;
    EditPath* edits_ = nullptr;
    std::map<CommandId, std::function<void()>> handlers_;

    // Where the focus last was of the pads and the zone list: their commands' enabling follows
    // it while a dialog, a menu or another program has the focus.
    WindowFocus lastFocus_ = WindowFocus::Pads;
    bool keyRepeat_ = false;
    int commandKey_ = 0; // the key of the last command given by a key without Ctrl or Alt

    KitFields* fields_ = nullptr;
    ClickLabel* picture_ = nullptr;
    AnimationControl* animation_ = nullptr;
    ZoneListPanel* zones_ = nullptr;
    ZoneCommands* zoneCommands_ = nullptr;
    PadPanel* pads_ = nullptr;
    HealthPanel* health_ = nullptr;
    DropTargets* drops_ = nullptr;
    PadMapPanel* padMap_ = nullptr;

    QMenu* fileMenu_ = nullptr;
    QMenu* padMenu_ = nullptr;
    QMenu* zoneMenu_ = nullptr;
    AudioOutMenu* audioOut_ = nullptr;
    QAction* secondMenuEntry_ = nullptr;
    QPointer<AboutDialog> about_;
};

} // namespace padsmith
