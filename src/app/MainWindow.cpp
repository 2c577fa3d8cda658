// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/AnimationControl.h"
#include "app/AudioOutMenu.h"
#include "app/Audition.h"
#include "app/Controls.h"
#include "app/DropTargets.h"
#include "app/EditPath.h"
#include "app/FormatsModule.h"
#include "app/GrooveCommands.h"
#include "app/HealthPanel.h"
#include "app/KitFields.h"
#include "app/MidiRouter.h"
#include "app/Operation.h"
#include "app/PadMapPanel.h"
#include "app/PadPanel.h"
#include "app/Services.h"
#include "app/Text.h"
#include "app/WindowKitHost.h"
#include "app/WindowLayout.h"
#include "app/ZoneCommands.h"
#include "app/ZoneListPanel.h"
#include "audio/CacheFill.h"
#include "audio/SampleCache.h"
#include "audio/SampleFacts.h"
#include "audio/SoundSystem.h"
#include "formats/KitFormats.h"
#include "kit/KitScript.h"
#include "kit/SampleFolders.h"
#include "platform/Files.h"
#include "platform/SettingsStore.h"
#include "ui/CellTableView.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <cstdint>
#include <optional>
#include <utility>

static void initialiseResources() {
    Q_INIT_RESOURCE(padsmith);
}

namespace padsmith {

namespace {

// Ends the plug-in folder with the platform's separator.
QString asFolder(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith('/') && !folder.endsWith(QDir::separator())) {
        folder += QDir::separator();
    }
    return folder;
}

// The window's commands (menus and Ctrl shortcuts: Save, Open, New, Undo, a pad label's
// rename, ...) first end an open edit. Tab only moves the focus, and the keys of the pads and
// the zone list (arrows, F2, Delete) reach an open editor as its own keys.
bool endsOpenEdits(CommandId id) {
    return commandOwners(id).always != CommandPart::None && id != CommandId::SwitchFocus;
}

// New, Open, Save, Save As and the recent files.
class DocumentCommands final : public CommandRunner {
public:
    explicit DocumentCommands(Document& document) : document_(document) {}
    void run(CommandId id, int /*index*/) override { document_.handleCommand(id); }

private:
    Document& document_;
};

} // namespace

MainWindow::MainWindow(SettingsStore& settings, const QString& pluginFolder, QWidget* parent)
    : QMainWindow(parent), settings_(settings), pluginFolder_(asFolder(pluginFolder)),
      options_(settings),
      host_(std::make_unique<WindowKitHost>(
          *this, WindowKitHost::Hooks{[this](int pad, int zone) { pads_->selectPad(pad, zone); },
                                      [this] { audition_->stop(); },
                                      [this] { zones_->view()->setFocus(); }})),
      finder_(*host_), document_(kit_, settings, *this),
      cache_(std::make_unique<SampleCache>(options_.sampleCacheBytes())),
      cacheFill_(std::make_unique<CacheFill>(*cache_)),
      facts_(std::make_shared<SampleFactsCache>()),
      audition_(std::make_unique<Audition>(
          silentSound(QStringLiteral("sound and MIDI start once the window is shown")), options_)),
      formats_(std::make_unique<FormatsModule>()),
      documentCommands_(std::make_unique<DocumentCommands>(document_)) {
    initialiseResources();
    setWindowTitle(kProgramName);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setAcceptDrops(true);
    setMainWindow(this);

    commands_ = new CommandTable(this);
    connect(commands_, &CommandTable::triggered, this, [this](CommandId id) { command(id); });
    edits_ = new EditPath(kit_, this);
    connect(edits_, &EditPath::padsChanged, this, &MainWindow::showEditedPads);
    connect(edits_, &EditPath::stepShown, this, &MainWindow::showUndoneEdit);

    buildControls();
    buildParts();
    buildMenus();
    buildHealthPanel();
    // Made now, not with the first message, so the window's height does not change then.
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    // The zone list shares its place with the velocity map and the waveform; that place takes
    // the room when the window grows.
    auto* client = static_cast<ClientArea*>(centralWidget());
    padMap_ = new PadMapPanel(
        {kit_, *edits_, *zones_, *audition_, facts_, settings_, [this] { updateCommandStates(); }},
        client);
    client->setStretched(padMap_->area());
    connect(midi_, &MidiRouter::noteHandled, padMap_, &PadMapPanel::showNote);
    connect(grooves_, &GrooveCommands::notePlayed, padMap_, &PadMapPanel::showPlayedNote);
    // The waveform's played position: where the player stands in that file, while it sounds.
    padMap_->setPlayedFrame([this](const std::string& path) -> std::optional<std::uint64_t> {
        for (const VoicePosition& voice : audition_->sound().soundingVoices()) {
            if (voice.path == path) {
                return voice.frame;
            }
        }
        return std::nullopt;
    });

    nameControls();

    qApp->installEventFilter(this);
    dropInputDuringOperations(this);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget* /*old*/, QWidget* now) { focusMoved(now); });
}

MainWindow::~MainWindow() {
    // QWidget's destructor still moves the focus; by then this is no MainWindow any more.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    qApp->removeEventFilter(this);
    if (mainWindow() == this) {
        setMainWindow(nullptr);
    }
}

KitHost& MainWindow::kitHost() {
    return *host_;
}

SoundSystem& MainWindow::sound() {
    return audition_->sound();
}

void MainWindow::setSound(std::unique_ptr<SoundSystem> sound) {
    audition_->setSound(std::move(sound));
}

void MainWindow::setKitFormats(std::unique_ptr<formats::KitFormats> formats) {
    formats_->set(std::move(formats));
}

void MainWindow::startMidi() {
    const QString warning = sound().openMidi(
        options_.midiSystem(), [router = QPointer<MidiRouter>(midi_)](quint32 packed) {
            if (router != nullptr) {
                router->handleMessage(packed);
            }
        });
    if (!warning.isEmpty()) {
        messageBox(MessageButtons::Ok, MessageIcon::Warning, warning);
    }
    midi_->publishDirectNotes();
    if (sound().midiOpen()) {
        // A keyboard wants its first note to sound at once: the output is opened (which
        // blocks until the sound server has it ready) once the window is up, not on that note.
        QTimer::singleShot(0, this, [this] { sound().openOutput(options_.outputDevice()); });
    }
}

void MainWindow::startUp(bool reopenLastKit) {
    if (!restoreWindowGeometry(*this, settings_)) {
        // The first start: the designed size, in the middle of the screen.
        adjustSize();
        if (const QScreen* shown = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(shown->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    kit_.copyright = toStd(loginName());
    fields_->copyright()->setText(loginName());
    animation_->play();

    document_.initialise(fileMenu_);
    options_.load();
    if (!options_.unknownCodePage().isEmpty()) {
        host_->showMessage(MessageIcon::Warning,
                           "The code page \"" + toStd(options_.unknownCodePage()) +
                               "\" of the settings is not known. Kits are read and written in " +
                               std::string(options_.codePage().name()) + ".");
    }
    pads_->selectPad(0, 0);

    commands_->action(CommandId::ShareSamples)->setChecked(options_.shareSamples());
    showSampleFolder();
    // The empty kit then takes the shared folder, whatever the option, as after New.
    kit_.newKit();
    showKit();

    if (reopenLastKit) {
        const OperationScope operation;
        document_.openKitPath({});
    }
    updateCommandStates();
}

CommandRunner* MainWindow::runner(CommandPart part) {
    switch (part) {
    case CommandPart::None:
        return nullptr;
    case CommandPart::Document:
        return documentCommands_.get();
    case CommandPart::Window:
        return this;
    case CommandPart::Instruments:
        return instruments_;
    case CommandPart::ForeignKits:
        return foreignKits_;
    case CommandPart::Drops:
        return drops_;
    case CommandPart::Pads:
        return pads_;
    case CommandPart::ZoneList:
        return zones_;
    case CommandPart::Zones:
        return zoneCommands_;
    case CommandPart::Grooves:
        return grooves_;
    }
    return nullptr;
}

void MainWindow::command(CommandId id, int index) {
    if (id == CommandId::None || id == CommandId::Separator) {
        return;
    }
    // A command that arrives while another runs (its dialogs and long work let events through)
    // is dropped: the one running may hold places in the kit that a second one would change.
    if (operationRunning()) {
        return;
    }
    if (endsOpenEdits(id) && !endOpenEdits()) {
        return;
    }
    const OperationScope operation;
    const CommandOwners owners = commandOwners(id);
    if (CommandRunner* part = runner(owners.always)) {
        part->run(id, index);
    }
    if (zones_->hasFocus()) {
        if (CommandRunner* part = runner(owners.zones)) {
            part->run(id, index);
        }
    }
    // Checked again: a zone command may have moved the focus.
    if (pads_->hasFocus()) {
        if (CommandRunner* part = runner(owners.pads)) {
            part->run(id, index);
        }
    }
    updateCommandStates();
}

bool MainWindow::endOpenEdits() {
    if (!zones_->commitOpenEdit()) {
        return false;
    }
    pads_->commitRename();
    return true;
}

void MainWindow::updateCommandStates() {
    CommandContext context;
    const QWidget* focused = QApplication::focusWidget();
    if (zones_->ownsFocus()) {
        lastFocus_ = WindowFocus::Zones;
    } else if (pads_->hasFocus()) {
        lastFocus_ = WindowFocus::Pads;
    }
    // A dialog that just closed may not have given the focus back yet (or, without a window
    // manager, at all): the part that had it still decides.
    context.focus = focused == nullptr || focused->window() != this ? lastFocus_
                    : zones_->ownsFocus()                           ? WindowFocus::Zones
                    : pads_->hasFocus()                             ? WindowFocus::Pads
                                                                    : WindowFocus::Other;
    context.padHasZones = !kit_.current().empty();
    context.pasteReady = pads_->clipboard().canPaste(kit_.currentPad);
    zones_->describe(context);
    context.zoneRowsRemembered = zoneCommands_->hasRememberedRows();
    context.shareSamples = options_.shareSamples();
    context.canRevert = document_.canRevert();
    context.canUndo = edits_->canUndo();
    context.canRedo = edits_->canRedo();
    context.groovePlaying = grooves_->playing() == GrooveCommands::Playing::Groove;
    context.sweepPlaying = grooves_->playing() == GrooveCommands::Playing::Sweep;
    applyCommandStates(*commands_, context);

    auto named = [](const QString& verb, const QString& name) {
        return name.isEmpty() ? verb : verb + QLatin1Char(' ') + name;
    };
    commands_->setText(CommandId::Undo, named(QStringLiteral("Undo"), edits_->undoName()));
    commands_->setText(CommandId::Redo, named(QStringLiteral("Redo"), edits_->redoName()));
}

void MainWindow::showEditedPads(const QList<int>& pads) {
    for (int pad : pads) {
        if (ClickLabel* name = pads_->label(pad)) {
            name->setText(fromStd(kit_.pads[static_cast<std::size_t>(pad)].label));
        }
    }
    if (pads.contains(kit_.currentPad)) {
        zones_->showPadZones();
    }
    pads_->updateMarkers();
    fields_->showSize(kit_);
    document_.updateTitle(kit_.updateModified());
    refillSampleCache();
    checkHealth(false);
    updateCommandStates();
}

void MainWindow::showUndoneEdit(int pad, const QList<int>& rows) {
    const bool listFocused = zones_->ownsFocus();
    if (pad != kit_.currentPad) {
        pads_->selectPad(pad, rows.isEmpty() ? 0 : rows.first());
        if (listFocused) {
            zones_->view()->setFocus(Qt::OtherFocusReason);
        }
    }
    zones_->selectRows(rows);
    updateCommandStates();
}

void MainWindow::refillSampleCache() {
    if (!backgroundStarted_) {
        return;
    }
    // The voices MIDI notes play are made ready from the kit as it is now.
    sound().setKit(kitZonesOf(kit_));
    std::vector<std::vector<std::string>> pads;
    for (const Pad& pad : kit_.pads) {
        std::vector<std::string>& paths = pads.emplace_back();
        for (const SampleZone& zone : pad) {
            if (zone.sourcePath != kUnknownSource && !isMarkedMissing(zone.sourcePath)) {
                paths.push_back(zone.sourcePath);
            }
        }
    }
    cacheFill_->fill(pads);
}

void MainWindow::startBackgroundWork() {
    if (backgroundStarted_) {
        return;
    }
    backgroundStarted_ = true;
    // The first icon costs Qt's icon machinery a few milliseconds; the task bar shows it a
    // moment later.
    QIcon icon;
    icon.addFile(QStringLiteral(":/padsmith/padsmith-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/padsmith/padsmith-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/padsmith/padsmith-64.png"), QSize(64, 64));
    setWindowIcon(icon);
    audioOut_->rebuild();
    // Only an "Audio Out" entry is taken from the stored value: whatever else a damaged
    // settings file holds must not run as a command (40012 would delete samples).
    audioOut_->select(options_.storedAudioOutEntry());
    refillSampleCache();
    checkHealth(std::exchange(healthFolders_, false));
}

void MainWindow::toggleShareSamples() {
    options_.setShareSamples(!options_.shareSamples());
    commands_->action(CommandId::ShareSamples)->setChecked(options_.shareSamples());
    showSampleFolder();
}

void MainWindow::showSampleFolder() {
    kit_.sampleFolder = chooseSampleFolder(options_.shareSamples(), kit_.kitName);
    fields_->showSampleFolder(kit_);
}

void MainWindow::revertToSaved() {
    // Going back to the file throws away every change since the last save: ask first.
    if (kit_.modified() &&
        messageBox(MessageButtons::YesNo, MessageIcon::Warning,
                   QStringLiteral("Discard changes to %1?").arg(document_.documentName())) !=
            AnswerYes) {
        return;
    }
    document_.openKitPath({});
}

void MainWindow::deleteUnusedSamples() {
    zones_->view()->setBackgroundColour(Qt::black);
    animation_->showFrame(0);
    setBusyCursor(true);
    repaintDuringOperation();
    host_->stopPreview();
    padsmith::deleteUnusedSamples(toFsPath(pluginFolder_), *host_, false, options_.codePage());
    zones_->view()->setBackgroundColour(ZoneListPanel::kBackground);
    animation_->showFrame(1);
    setBusyCursor(false);
}

void MainWindow::exploreKitFolder() {
    const QString path = document_.currentPath();
    dialogs().openFolder(path.isEmpty() ? QString() : fromStd(folderOf(toStd(path))));
}

void MainWindow::showAbout() {
    if (about_ == nullptr) {
        about_ = new AboutDialog(this);
    }
    // The output may have changed since the window was last shown.
    about_->setMidiStatus(sound().midiStatusText() + QLatin1Char('\n') +
                          sound().outputStatusText());
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void MainWindow::showKit() {
    fields_->show(kit_);
    pads_->showLabels();
    zones_->showPadZones();
    // Another kit, or the same one read again (its files may have changed): filled afresh.
    cacheFill_->forget();
    refillSampleCache();
}

void MainWindow::kitReplaced() {
    edits_->clear();
    pads_->kitReplaced();
    zoneCommands_->kitReplaced();
    checkHealth(true);
}

void MainWindow::kitSaved(const std::map<std::string, std::string>& movedSources) {
    edits_->followMovedSources(movedSources);
    checkHealth(true);
}

void MainWindow::checkHealth(bool folders) {
    if (!backgroundStarted_) {
        // Measuring every sample of the kit would take the processor from the first paint.
        healthFolders_ = healthFolders_ || folders;
        return;
    }
    health_->kitChanged(folders);
}

KitLocation MainWindow::kitLocation() {
    return {toFsPath(pluginFolder_), options_.shareSamples(), options_.codePage()};
}

void MainWindow::collectKitFields() {
    fields_->collect(kit_);
}

} // namespace padsmith
