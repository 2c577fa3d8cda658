// SPDX-License-Identifier: GPL-3.0-or-later
// The main window built: its controls, menus, health panel and own commands.
#include "app/AboutDialog.h"
#include "app/AnimationControl.h"
#include "app/AudioOutMenu.h"
#include "app/Controls.h"
#include "app/DialogUnits.h"
#include "app/DropTargets.h"
#include "app/EditPath.h"
#include "app/ForeignKitCommands.h"
#include "app/HealthPanel.h"
#include "app/InstrumentCommands.h"
#include "app/KitFields.h"
#include "app/MainWindow.h"
#include "app/PadPanel.h"
#include "app/Services.h"
#include "app/Text.h"
#include "app/WindowKitHost.h"
#include "app/WindowLayout.h"
#include "app/ZoneCommands.h"
#include "app/ZoneListPanel.h"
#include "audio/SoundSystem.h"
#include "ui/CellTableView.h"

#include <QAction>
#include <QFrame>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

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
    zoneHooks.preview = [this](const std::string& path) {
        sound().previewSample(path, options_.outputDevice());
    };
    zoneHooks.commandKey = [this] { return commandKey_; };
    zoneHooks.keyRepeating = [this] { return keyRepeat_; };
    zones_ = new ZoneListPanel(kit_, *edits_, *host_, client, std::move(zoneHooks));
    zones_->view()->setGeometry(QRect(QPoint(7, 65), QPoint(client->width() - 7 - 1, 320 - 1)));

    PadPanel::Hooks hooks;
    hooks.preview = [this](const std::string& path) {
        sound().previewSample(path, options_.outputDevice());
    };
    hooks.animate = [this] { animation_->play(); };
    hooks.commandKey = [this] { return commandKey_; };
    hooks.keyRepeating = [this] { return keyRepeat_; };
    hooks.shareSamples = [this] { return options_.shareSamples(); };
    hooks.codePage = [this] { return options_.codePage(); };
    hooks.endOpenEdits = [this] { return endOpenEdits(); };
    pads_ = new PadPanel(kit_, *zones_, *edits_, client, units, std::move(hooks));
    connect(pads_, &PadPanel::labelClicked, this,
            [this](int pad) { command(CommandId::PadLabelFirst + pad); });

    zoneCommands_ = new ZoneCommands(*this, settings_);
    zones_->setCommandHandler([this](CommandId id) { return zoneCommands_->handleCommand(id); });
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
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    fileMenu_ = bar->addMenu(QStringLiteral("&File"));
    commands_->fillMenu(fileMenu_, fileMenuLayout());

    padMenu_ = new QMenu(QStringLiteral("Pad"), this);
    commands_->fillMenu(padMenu_, padMenuLayout());
    zoneMenu_ = new QMenu(QStringLiteral("&Samples"), this);
    commands_->fillMenu(zoneMenu_, zoneMenuLayout());
    pads_->setContextMenu(padMenu_);
    zones_->setContextMenu(zoneMenu_);

    secondMenuEntry_ = bar->addMenu(padMenu_);
    audioOut_ = new AudioOutMenu(
        options_, [this] { return sound_->outputs(); }, this);
    bar->addMenu(audioOut_);
    bar->addAction(commands_->action(CommandId::About));

    // The table's actions report themselves; the entries made on the fly (recent files,
    // outputs) come through the bar.
    connect(bar, &QMenuBar::triggered, this, [this](QAction* item) {
        if (!commands_->actions().contains(item)) {
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
    setCommandHandler(CommandId::KitHealth, [this] { health_->setVisible(!health_->isVisible()); });
}

void MainWindow::registerOwnCommands() {
    setCommandHandler(CommandId::ShareSamples, [this] { toggleShareSamples(); });
    setCommandHandler(CommandId::Revert, [this] { revertToSaved(); });
    setCommandHandler(CommandId::Undo, [this] { edits_->undo(); });
    setCommandHandler(CommandId::Redo, [this] { edits_->redo(); });
    setCommandHandler(CommandId::SwitchFocus, [this] { switchFocus(); });
    setCommandHandler(CommandId::DeleteUnusedSamples, [this] { deleteUnusedSamples(); });
    setCommandHandler(CommandId::ExploreKitFolder, [this] { exploreKitFolder(); });
    setCommandHandler(CommandId::ExplorePluginFolder,
                      [this] { dialogs().openFolder(pluginFolder_); });
    auto* instruments = new InstrumentCommands(*this, settings_);
    setCommandHandler(CommandId::ExportInstrument,
                      [instruments] { instruments->exportInstrument(); });
    setCommandHandler(CommandId::ImportInstrument,
                      [instruments] { instruments->importInstrument(); });
    setCommandHandler(CommandId::SaveInstrumentAsKit,
                      [instruments] { instruments->saveInstrumentAsKit(); });
    drops_ = new DropTargets(*this);
    setCommandHandler(CommandId::NewKitFromFolder, [this] { drops_->newKitFromFolder(); });
    auto* foreignKits = new ForeignKitCommands(*this, settings_);
    setCommandHandler(CommandId::ImportKit, [foreignKits] { foreignKits->importKit(); });
    setCommandHandler(CommandId::ExportKit, [foreignKits] { foreignKits->exportKit(); });
    setCommandHandler(CommandId::About, [this] { showAbout(); });
    setCommandHandler(CommandId::Picture, [this] { showAbout(); });
    setCommandHandler(CommandId::Exit, [this] { close(); });
}

} // namespace padsmith
