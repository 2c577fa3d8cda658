// SPDX-License-Identifier: GPL-3.0-or-later
// The main window built: its controls, parts, menus, health panel and own commands.
#include "app/AboutDialog.h"
#include "app/AnimationControl.h"
#include "app/AudioOutMenu.h"
#include "app/Audition.h"
#include "app/Controls.h"
#include "app/DialogUnits.h"
#include "app/DropTargets.h"
#include "app/EditPath.h"
#include "app/ForeignKitCommands.h"
#include "app/GrooveCommands.h"
#include "app/HealthPanel.h"
#include "app/InstrumentCommands.h"
#include "app/KitFields.h"
#include "app/MainWindow.h"
#include "app/MidiRouter.h"
#include "app/PadMapPanel.h"
#include "app/PadPanel.h"
#include "app/Services.h"
#include "app/Text.h"
#include "app/WindowKitHost.h"
#include "app/WindowLayout.h"
#include "app/ZoneCommands.h"
#include "app/ZoneListPanel.h"
#include "audio/SoundSystem.h"
#include "ui/CellTableView.h"
#include "ui/PadMapView.h"
#include "ui/WaveformView.h"

#include <QAction>
#include <QFrame>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>

namespace padsmith {

void MainWindow::buildControls() {
    const DialogUnits units(dialogFont());
    const QFont font = controlFont();

    auto* client = new ClientArea(QSize(units.x(417), units.y(285)), this);
    client->setObjectName(QStringLiteral("client"));
    client->setAutoFillBackground(true);
    QPalette black = client->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        black.setColor(group, QPalette::Window, Qt::black);
        black.setColor(group, QPalette::Base, Qt::black);
        black.setColor(group, QPalette::Button, Qt::black);
        black.setColor(group, QPalette::WindowText, Qt::white);
        black.setColor(group, QPalette::Text, Qt::white);
        black.setColor(group, QPalette::ButtonText, Qt::white);
    }
    black.setColor(QPalette::Disabled, QPalette::Window, Qt::black);
    black.setColor(QPalette::Disabled, QPalette::Base, Qt::black);
    client->setPalette(black);
    client->setFont(font);
    setCentralWidget(client);

    fields_ = new KitFields(client, units, [this] { return options_.codePage(); });
    connect(fields_, &KitFields::kitNameClicked, this,
            [this] { command(CommandId::ExploreKitFolder); });
    connect(fields_, &KitFields::sampleFolderClicked, this,
            [this] { command(CommandId::ExplorePluginFolder); });
    // The copyright is part of the kit: typing marks it modified, typing it back clears that.
    connect(fields_->copyright(), &QLineEdit::textEdited, this, [this] {
        fields_->collect(kit_);
        document_.updateTitle(kit_.updateModified());
    });

    auto* separator = new QFrame(client);
    separator->setGeometry(units.rect(4, 25, 409, 9));
    separator->setFrameStyle(QFrame::Box | QFrame::Plain);
    separator->setStyleSheet(QStringLiteral("color: black"));

    picture_ = new ClickLabel(client);
    picture_->setObjectName(QStringLiteral("1082"));
    picture_->setGeometry(units.rect(295, 203, 112, 82));
    picture_->setPixmap(sharpPixmap(QStringLiteral(":/padsmith/picture.png"), picture_->size()));
    picture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture_->setCursor(Qt::PointingHandCursor);
    connect(picture_, &ClickLabel::clicked, this, [this] { command(CommandId::Picture); });

    animation_ = new AnimationControl(picture_);
    animation_->move(49, 52);

    ZoneListPanel::Hooks zoneHooks;
    zoneHooks.preview = [this](const std::string& path) { audition_->preview(path); };
    zoneHooks.commandKey = [this] { return commandKey_; };
    zoneHooks.keyRepeating = [this] { return keyRepeat_; };
    zones_ = new ZoneListPanel(kit_, *edits_, *host_, client, std::move(zoneHooks));
    zones_->view()->setGeometry(QRect(QPoint(7, 65), QPoint(client->width() - 7 - 1, 320 - 1)));

    PadPanel::Hooks hooks;
    hooks.preview = [this](const std::string& path) { audition_->preview(path); };
    hooks.animate = [this] { animation_->play(); };
    hooks.commandKey = [this] { return commandKey_; };
    hooks.keyRepeating = [this] { return keyRepeat_; };
    hooks.shareSamples = [this] { return options_.shareSamples(); };
    hooks.codePage = [this] { return options_.codePage(); };
    hooks.endOpenEdits = [this] { return endOpenEdits(); };
    pads_ = new PadPanel(kit_, *zones_, *edits_, client, units, std::move(hooks));
    connect(pads_, &PadPanel::labelClicked, this,
            [this](int pad) { command(CommandId::RenamePad, pad); });
}

void MainWindow::buildParts() {
    const auto location = [this] { return kitLocation(); };
    const auto commandsChanged = [this] { updateCommandStates(); };
    zoneCommands_ = new ZoneCommands(
        {*this, kit_, *edits_, *host_, document_, *zones_, *audition_, options_, settings_,
         location, [this](const QString& text) { statusBar()->showMessage(text); }});
    connect(pads_, &PadPanel::padFocused, zoneCommands_, &ZoneCommands::forgetRememberedRows);
    // Copy, Delete and the rest follow the zone list's current row, however it moves.
    connect(zones_->view()->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { updateCommandStates(); });
    // A double click on a Sample cell replaces its sample; a commit there renames the file;
    // dragged rows move as Copy and Paste move them.
    connect(zones_->view(), &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& cell) {
                if (cell.column() == 0) {
                    command(CommandId::ImportSamples);
                }
            });
    connect(zones_, &ZoneListPanel::sampleNameCommitted, zoneCommands_,
            &ZoneCommands::renameSample);
    connect(zones_, &ZoneListPanel::rowsDropped, this, [this](const QList<int>& rows, int target) {
        zoneCommands_->rememberRows(rows);
        zoneCommands_->moveRememberedRows(target);
        updateCommandStates();
    });

    instruments_ = new InstrumentCommands(
        {*this, kit_, document_, *edits_, *host_, finder_, *zones_, settings_, location});
    grooves_ = new GrooveCommands({*this, kit_, settings_, *audition_});
    connect(grooves_, &GrooveCommands::notePlayed, pads_,
            [this](int /*note*/, int /*velocity*/, int pad) { pads_->lightPad(pad); });
    connect(grooves_, &GrooveCommands::playingChanged, this, commandsChanged);
    drops_ = new DropTargets({*this, kit_, document_, *edits_, *pads_, *zones_, *zoneCommands_,
                              *audition_, *formats_, commandsChanged,
                              [this](const QString& path) { grooves_->playGrooveFile(path); }});
    foreignKits_ = new ForeignKitCommands({*this, kit_, document_, *host_, *formats_, settings_});
    midi_ = new MidiRouter({*this, kit_, *edits_, *host_, *pads_, *zones_, *audition_, *animation_,
                            [this] { return endOpenEdits(); }, commandsChanged},
                           this);
}

void MainWindow::nameControls() {
    // What a screen reader says for each control (the pads' names follow the kit, so they say
    // their number).
    fields_->kitName()->setAccessibleName(tr("Kit name"));
    fields_->kitName()->setAccessibleDescription(tr("Click to open the kit's folder"));
    fields_->kitSize()->setAccessibleName(tr("Kit size"));
    fields_->sampleFolder()->setAccessibleName(tr("Sample folder"));
    fields_->sampleFolder()->setAccessibleDescription(tr("Click to open the plug-in folder"));
    fields_->copyright()->setAccessibleName(tr("Copyright"));
    picture_->setAccessibleName(tr("About Padsmith"));
    animation_->setAccessibleName(tr("MIDI activity"));
    zones_->view()->setAccessibleName(tr("Zones of the current pad"));
    for (int pad = 0; pad < kPadCount; ++pad) {
        pads_->button(pad)->setAccessibleName(tr("Pad %1").arg(pad + 1));
        pads_->label(pad)->setAccessibleName(tr("Name of pad %1").arg(pad + 1));
        pads_->label(pad)->setAccessibleDescription(tr("Click to rename the pad"));
    }
    padMap_->map()->setAccessibleName(tr("Velocity map of the current pad"));
    padMap_->waveform()->setAccessibleName(tr("Waveform of the selected sample"));
    padMap_->area()->setAccessibleName(tr("Zone list, velocity map and waveform"));
    health_->setAccessibleName(tr("Kit Health"));
    statusBar()->setAccessibleName(tr("Status"));
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    fileMenu_ = bar->addMenu(QStringLiteral("&File"));
    fileMenu_->setObjectName(QStringLiteral("fileMenu"));
    commands_->fillMenu(fileMenu_, fileMenuLayout());

    padMenu_ = new QMenu(QStringLiteral("Pad"), this);
    padMenu_->setObjectName(QStringLiteral("padMenu"));
    commands_->fillMenu(padMenu_, padMenuLayout());
    zoneMenu_ = new QMenu(QStringLiteral("&Samples"), this);
    zoneMenu_->setObjectName(QStringLiteral("zoneMenu"));
    commands_->fillMenu(zoneMenu_, zoneMenuLayout());
    pads_->setContextMenu(padMenu_);
    zones_->setContextMenu(zoneMenu_);

    secondMenuEntry_ = bar->addMenu(padMenu_);
    audioOut_ = new AudioOutMenu(
        options_, [this] { return sound().outputs(); }, this);
    bar->addMenu(audioOut_);
    bar->addAction(commands_->action(CommandId::About));

    // The table's actions report themselves, and the outputs' menu takes its own entries; the
    // recent files come through the bar.
    connect(bar, &QMenuBar::triggered, this, [this](QAction* item) {
        if (item->parent() != audioOut_ && !commands_->actions().contains(item)) {
            command(commandId(item));
        }
    });
}

void MainWindow::buildHealthPanel() {
    HealthPanel::Hooks hooks;
    hooks.location = [this] { return kitLocation(); };
    hooks.select = [this](int pad, const std::vector<int>& rows) {
        pads_->selectPad(pad, rows.empty() ? 0 : rows.front());
        zones_->selectRows(QList<int>(rows.begin(), rows.end()));
    };
    health_ = new HealthPanel(kit_, *edits_, facts_, zones_->model(), std::move(hooks), this);
    addDockWidget(Qt::RightDockWidgetArea, health_);
    health_->hide();
    menuBar()->setCornerWidget(health_->statusLabel());
}

void MainWindow::run(CommandId id, int /*index*/) {
    switch (id) {
    case CommandId::ShareSamples:
        toggleShareSamples();
        return;
    case CommandId::Revert:
        revertToSaved();
        return;
    case CommandId::Undo:
        edits_->undo();
        return;
    case CommandId::Redo:
        edits_->redo();
        return;
    case CommandId::SwitchFocus:
        switchFocus();
        return;
    case CommandId::DeleteUnusedSamples:
        deleteUnusedSamples();
        return;
    case CommandId::ExploreKitFolder:
        exploreKitFolder();
        return;
    case CommandId::ExplorePluginFolder:
        dialogs().openFolder(pluginFolder_);
        return;
    case CommandId::KitHealth:
        health_->setVisible(!health_->isVisible());
        return;
    case CommandId::About:
    case CommandId::Picture:
        showAbout();
        return;
    case CommandId::Exit:
        close();
        return;
    default:
        return;
    }
}

} // namespace padsmith
