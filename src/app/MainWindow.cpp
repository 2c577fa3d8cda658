// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/AnimationControl.h"
#include "app/AudioOutMenu.h"
#include "app/Controls.h"
#include "app/DropTargets.h"
#include "app/EditPath.h"
#include "app/ForeignKitCommands.h"
#include "app/HealthPanel.h"
#include "app/InstrumentCommands.h"
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
#include "audio/SampleCache.h"
#include "audio/SampleFacts.h"
#include "audio/SoundSystem.h"
#include "formats/KitFormats.h"
#include "kit/KitScript.h"
#include "kit/SampleFolders.h"
#include "platform/Files.h"
#include "platform/Modules.h"
#include "platform/SettingsStore.h"
#include "ui/CellTableView.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QSplitter>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

static void initialiseResources() {
    Q_INIT_RESOURCE(padsmith);
}

namespace padsmith {

namespace {

constexpr int kAudioOutIdRange = 256;

// Ends the plug-in folder with the platform's separator.
QString asFolder(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith('/') && !folder.endsWith(QDir::separator())) {
        folder += QDir::separator();
    }
    return folder;
}

// What a command acts on; ids without a row (recent files, outputs, pad labels) are the
// window's.
Serves servesOf(CommandId id) {
    const CommandRow* row = commandRow(id);
    return row != nullptr ? row->serves : Serves::Window;
}

// The window's commands (menus and Ctrl shortcuts: Save, Open, New, Undo, a pad label's
// rename, ...) first end an open edit. Tab only moves the focus, and the keys of the pads and
// the zone list (arrows, F2, Delete) reach an open editor as its own keys.
bool endsOpenEdits(CommandId id) {
    return servesOf(id) == Serves::Window && id != CommandId::SwitchFocus;
}

} // namespace

MainWindow::MainWindow(SettingsStore& settings, const QString& pluginFolder, QWidget* parent)
    : QMainWindow(parent), settings_(settings), pluginFolder_(asFolder(pluginFolder)),
      options_(settings),
      host_(std::make_unique<WindowKitHost>(
          *this, WindowKitHost::Hooks{[this](int pad, int zone) { pads_->selectPad(pad, zone); },
                                      [this] { sound_->stopPreview(); },
                                      [this] { zones_->view()->setFocus(); }})),
      finder_(*host_), document_(kit_, settings, *this),
      cache_(std::make_unique<SampleCache>(options_.sampleCacheBytes())),
      facts_(std::make_shared<SampleFactsCache>()),
      sound_(silentSound(QStringLiteral("sound and MIDI start once the window is shown"))) {
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
    buildMenus();
    buildHealthPanel();
    registerOwnCommands();
    midi_ = new MidiRouter(*this, this);
    // The zone list shares its place with the velocity map and the waveform; that place takes
    // the room when the window grows.
    auto* client = static_cast<ClientArea*>(centralWidget());
    padMap_ = new PadMapPanel(*this, settings_, client);
    client->setStretched(padMap_->area());
    // The waveform's played position: where the player stands in that file, while it sounds.
    padMap_->setPlayedFrame([this](const std::string& path) -> std::optional<std::uint64_t> {
        for (const VoicePosition& voice : sound_->soundingVoices()) {
            if (voice.path == path) {
                return voice.frame;
            }
        }
        return std::nullopt;
    });

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

void MainWindow::setSound(std::unique_ptr<SoundSystem> sound) {
    sound_->stopPreview();
    sound_ = std::move(sound);
}

formats::KitFormats* MainWindow::kitFormats(QString& error) {
    if (formats_ == nullptr) {
        const auto entry = reinterpret_cast<formats::FormatsModuleEntry>(
            loadModuleEntry(moduleFolders(), QString::fromLatin1(formats::kFormatsModuleName),
                            formats::kFormatsModuleEntry, error));
        formats_.reset(entry != nullptr ? entry(formats::kFormatsInterfaceVersion) : nullptr);
        if (entry != nullptr && formats_ == nullptr) {
            error = QStringLiteral("The module %1 belongs to another version of Padsmith.")
                        .arg(QString::fromLatin1(formats::kFormatsModuleName));
        }
    }
    return formats_.get();
}

void MainWindow::setKitFormats(std::unique_ptr<formats::KitFormats> formats) {
    formats_ = std::move(formats);
}

void MainWindow::startMidi() {
    const QString warning = sound_->openMidi(
        options_.midiSystem(), [router = QPointer<MidiRouter>(midi_)](quint32 packed) {
            if (router != nullptr) {
                router->handleMessage(packed);
            }
        });
    if (!warning.isEmpty()) {
        messageBox(MessageButtons::Ok, MessageIcon::Warning, warning);
    }
    midi_->publishDirectNotes();
    if (sound_->midiOpen()) {
        // A keyboard wants its first note to sound at once: the output is opened (which
        // blocks until the sound server has it ready) once the window is up, not on that note.
        QTimer::singleShot(0, this, [this] { sound_->openOutput(outputDevice()); });
    }
}

CellTableView* MainWindow::zoneList() const {
    return zones_->view();
}

PadButton* MainWindow::padButton(int pad) const {
    return pads_->button(pad);
}

ClickLabel* MainWindow::padLabel(int pad) const {
    return pads_->label(pad);
}

AboutDialog* MainWindow::aboutDialog() const {
    return about_.data();
}

void MainWindow::setCommandHandler(CommandId id, std::function<void()> handler) {
    handlers_[id] = std::move(handler);
}

void MainWindow::startUp(bool reopenLastKit) {
    restoreWindowGeometry(*this, settings_);
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

void MainWindow::command(CommandId id) {
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
    if (!document_.handleCommand(id)) {
        const Serves serves = servesOf(id);
        if (const auto handler = handlers_.find(id); handler != handlers_.end()) {
            handler->second();
        } else if (id >= CommandId::AudioOutFirst &&
                   id < CommandId::AudioOutFirst + kAudioOutIdRange) {
            // select() ignores the ids of outputs that are gone.
            audioOut_->select(static_cast<int>(id));
        } else if (id >= CommandId::PadLabelFirst && id < CommandId::PadLabelFirst + kPadCount) {
            pads_->rename(id - CommandId::PadLabelFirst);
        }
        if (zones_->hasFocus() && (serves == Serves::Zones || serves == Serves::PadsAndZones)) {
            zones_->handleCommand(id);
        }
        // Checked again: a zone command may have moved the focus.
        if (pads_->hasFocus() && (serves == Serves::Pads || serves == Serves::PadsAndZones)) {
            pads_->handleCommand(id);
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
    sound_->setKit(kitZonesOf(kit_));
    // Pads in the order they were last played, the rest in pad order.
    std::vector<std::pair<std::uint64_t, int>> order;
    for (int pad = 0; pad < kPadCount; ++pad) {
        std::uint64_t played = 0;
        for (const SampleZone& zone : kit_.pads[static_cast<std::size_t>(pad)]) {
            played = std::max(played, cache_->lastPlayed(zone.sourcePath));
        }
        order.emplace_back(played, pad);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::string> paths;
    for (const auto& [played, pad] : order) {
        for (const SampleZone& zone : kit_.pads[static_cast<std::size_t>(pad)]) {
            if (zone.sourcePath != kUnknownSource && !isMarkedMissing(zone.sourcePath)) {
                paths.push_back(zone.sourcePath);
            }
        }
    }
    // Most edits change values, not samples: the fill runs again only for another set.
    std::vector<std::string> set = paths;
    std::sort(set.begin(), set.end());
    set.erase(std::unique(set.begin(), set.end()), set.end());
    if (set == filledSet_) {
        return;
    }
    filledSet_ = std::move(set);
    cache_->retainOnly(paths);
    cache_->fill(std::move(paths));
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
        about_->setMidiStatus(sound_->midiStatusText());
    }
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void MainWindow::showKit() {
    fields_->show(kit_);
    pads_->showLabels();
    zones_->showPadZones();
    // Another kit, or the same one read again (its files may have changed): filled afresh.
    filledSet_.clear();
    refillSampleCache();
}

void MainWindow::kitReplaced() {
    edits_->clear();
    pads_->kitReplaced();
    zoneCommands_->kitReplaced();
    checkHealth(true);
}

void MainWindow::kitSaved() {
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

QAction* MainWindow::action(CommandId id) const {
    if (QAction* item = commands_->action(id)) {
        return item;
    }
    for (QMenu* menu : {fileMenu_, static_cast<QMenu*>(audioOut_)}) {
        for (QAction* item : menu->actions()) {
            if (commandId(item) == id) {
                return item;
            }
        }
    }
    return nullptr;
}

KitLocation MainWindow::kitLocation() {
    return {toFsPath(pluginFolder_), options_.shareSamples(), options_.codePage()};
}

void MainWindow::collectKitFields() {
    fields_->collect(kit_);
}

} // namespace padsmith
