#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/AnimationControl.h"
#include "app/Controls.h"
#include "app/DialogUnits.h"
#include "app/Text.h"
#include "audio/Preview.h"
#include "kit/SampleFolders.h"
#include "platform/Files.h"
#include "platform/SettingsStore.h"
#include "ui/ZoneListView.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QUrl>
#include <algorithm>

static void initialiseResources() {
    Q_INIT_RESOURCE(padsmith);
}

namespace padsmith {

namespace {

constexpr int kPadButtonFirstId = 1042;
constexpr int kAudioOutIdRange = 256;

// Commands whose handlers come with later work: they stand in the menus, grayed.
const QList<int> kCommandsNotYetAvailable{
    RenameCommand,
    DeleteCommand,
    CopyCommand,
    CutCommand,
    PasteCommand,
    ImportInstrumentCommand,
    ExportInstrumentCommand,
    SaveInstrumentAsKitCommand,
    ImportSamplesCommand,
    SpreadVelocitiesCommand,
    EditSampleCommand,
    SelectWaveEditorCommand,
    SelectAllCommand,
};

QAction* addCommand(QMenu* menu, const QString& text, int id) {
    QAction* item = menu->addAction(text);
    item->setData(id);
    return item;
}

// Ends the plug-in folder with the platform's separator.
QString asFolder(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith('/') && !folder.endsWith(QDir::separator())) {
        folder += QDir::separator();
    }
    return folder;
}

} // namespace

// The kit core's view of the window.
class MainWindow::Host : public KitHost {
public:
    explicit Host(MainWindow& window) : window_(window) {}

    void selectPad(int pad, int zone) override {
        (void)zone;
        const int clamped = std::clamp(pad, 0, kPadCount - 1);
        window_.kit_.currentPad = clamped;
        if (PadButton* button = window_.padButton(clamped)) {
            button->setFocus();
        }
        padsmith::pumpMessages();
    }
    std::string browseForFolder(const std::string& startFolder,
                                const std::string& prompt) override {
        return toStd(dialogs().browseForFolder(&window_, fromStd(startFolder), fromStd(prompt)));
    }
    void showMessage(MessageIcon icon, const std::string& text) override {
        messageBox(MessageButtons::Ok, icon, fromStd(text));
    }
    void setBusy(bool busy) override { setBusyCursor(busy); }
    void pumpMessages() override { padsmith::pumpMessages(); }
    void stopPreview() override {
        if (window_.preview_ != nullptr) {
            window_.preview_->stopPreview();
        }
    }

private:
    MainWindow& window_;
};

MainWindow::MainWindow(SettingsStore& settings, const QString& pluginFolder, QWidget* parent)
    : QMainWindow(parent), settings_(settings), pluginFolder_(asFolder(pluginFolder)),
      host_(std::make_unique<Host>(*this)), finder_(*host_), document_(kit_, settings, *this) {
    initialiseResources();
    setWindowTitle(kProgramName);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    QIcon icon;
    icon.addFile(QStringLiteral(":/padsmith/padsmith-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/padsmith/padsmith-16.png"), QSize(16, 16));
    setWindowIcon(icon);
    setAcceptDrops(true);
    setMainWindow(this);

    buildControls();
    buildMenus();
    buildAccelerators();

    enabler_.addMenus({menuBar(), padMenu_, zoneMenu_});
    enabler_.addActions(accelerators_);

    qApp->installEventFilter(this);
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

PreviewPlayer& MainWindow::previewPlayer() {
    if (preview_ == nullptr) {
        preview_ = std::make_unique<PreviewPlayer>();
    }
    return *preview_;
}

PadButton* MainWindow::padButton(int pad) const {
    return pad >= 0 && pad < kPadCount ? pads_[static_cast<std::size_t>(pad)] : nullptr;
}

ClickLabel* MainWindow::padLabel(int pad) const {
    return pad >= 0 && pad < kPadCount ? padLabels_[static_cast<std::size_t>(pad)] : nullptr;
}

QLabel* MainWindow::kitSizeField() const {
    return kitSize_;
}

AboutDialog* MainWindow::aboutDialog() const {
    return about_.data();
}

void MainWindow::buildControls() {
    const DialogUnits units(dialogFont());
    const QFont font = controlFont();

    auto* client = new QWidget(this);
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
    client->setFixedSize(units.x(417), units.y(285));
    setCentralWidget(client);

    auto label = [&](const QString& text, QRect place) {
        auto* item = new QLabel(text, client);
        item->setGeometry(place);
        return item;
    };
    auto field = [&](int id, QRect place, Qt::Alignment alignment) {
        auto* item = new ClickLabel(QStringLiteral("???"), client);
        item->setObjectName(QString::number(id));
        item->setGeometry(place);
        item->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        item->setAlignment(alignment | Qt::AlignVCenter);
        return item;
    };

    label(QStringLiteral("Kit Name"), units.rect(4, 3, 51, 8));
    kitName_ = field(1040, units.rect(4, 12, 96, 12), Qt::AlignLeft);
    label(QStringLiteral("Kit Size"), units.rect(104, 3, 37, 8));
    kitSize_ = field(1041, units.rect(104, 12, 37, 12), Qt::AlignHCenter);
    label(QStringLiteral("VST Zarvo Sample Directory"), units.rect(146, 3, 102, 8));
    sampleFolder_ = field(1039, units.rect(145, 12, 129, 12), Qt::AlignLeft);
    label(QStringLiteral("Copyright"), units.rect(278, 3, 44, 8));

    copyright_ = new QLineEdit(client);
    copyright_->setObjectName(QStringLiteral("1027"));
    copyright_->setGeometry(units.rect(278, 12, 135, 12));
    copyright_->setMaxLength(static_cast<int>(kTextMax));
    copyright_->setStyleSheet(QStringLiteral(
        "QLineEdit { border: 1px solid #808080; background: black; color: white; }"));
    // A comma ends a field of the kit script: one in the copyright would shift every field
    // after it when the plug-in reads the kit.
    copyright_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[^,\\r\\n]*")), copyright_));

    auto* separator = new QFrame(client);
    separator->setGeometry(units.rect(4, 25, 409, 9));
    separator->setFrameStyle(QFrame::Box | QFrame::Plain);
    separator->setStyleSheet(QStringLiteral("color: black"));

    static constexpr std::array<int, 9> kUpperLabelX{5, 36, 69, 101, 133, 165, 197, 229, 261};
    static constexpr std::array<int, 9> kLowerLabelX{5, 37, 69, 101, 133, 165, 197, 229, 261};
    for (int pad = 0; pad < kPadCount; ++pad) {
        const int row = pad / 9;
        const int n = pad % 9;
        auto* button = new PadButton(pad, client);
        button->setObjectName(QString::number(kPadButtonFirstId + pad));
        button->move(units.x(10 + 32 * n), units.y(row == 0 ? 205 : 243));
        pads_[static_cast<std::size_t>(pad)] = button;

        const int labelX = (row == 0 ? kUpperLabelX : kLowerLabelX)[static_cast<std::size_t>(n)];
        auto* name = new ClickLabel(QStringLiteral("XXX"), client);
        name->setObjectName(QString::number(FirstPadLabelCommand + pad));
        name->setGeometry(units.rect(labelX, row == 0 ? 230 : 268, 36, 9));
        name->setAlignment(Qt::AlignCenter);
        padLabels_[static_cast<std::size_t>(pad)] = name;
        connect(name, &ClickLabel::clicked, this,
                [this, pad] { command(FirstPadLabelCommand + pad); });
    }

    picture_ = new ClickLabel(client);
    picture_->setObjectName(QStringLiteral("1082"));
    picture_->setGeometry(units.rect(295, 203, 112, 82));
    picture_->setPixmap(
        QPixmap(QStringLiteral(":/padsmith/picture.png"))
            .scaled(picture_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    picture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture_->setCursor(Qt::PointingHandCursor);
    connect(picture_, &ClickLabel::clicked, this, [this] { command(PictureCommand); });

    animation_ = new AnimationControl(picture_);
    animation_->move(49, 52);

    zoneList_ = new ZoneListView(client);
    zoneList_->setGeometry(QRect(QPoint(7, 65), QPoint(client->width() - 7 - 1, 320 - 1)));
    zoneList_->setRowIcon(QIcon(QStringLiteral(":/padsmith/zone.png")));

    connect(kitName_, &ClickLabel::clicked, this, [this] { command(ExploreKitFolderCommand); });
    connect(sampleFolder_, &ClickLabel::clicked, this,
            [this] { command(ExplorePluginFolderCommand); });
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();

    fileMenu_ = bar->addMenu(QStringLiteral("&File"));
    addCommand(fileMenu_, QStringLiteral("&New\tCtrl+N"), Document::NewCommand);
    addCommand(fileMenu_, QStringLiteral("&Open...\tCtrl+O"), Document::OpenCommand);
    addCommand(fileMenu_, QStringLiteral("&Save\tCtrl+S"), Document::SaveCommand);
    addCommand(fileMenu_, QStringLiteral("Save &As..."), Document::SaveAsCommand);
    fileMenu_->addSeparator();
    QAction* share = addCommand(fileMenu_, QStringLiteral("Share samples"), ShareSamplesCommand);
    share->setCheckable(true);
    fileMenu_->addSeparator();
    addCommand(fileMenu_, QStringLiteral("Explore VST Zarvo Folder"), ExplorePluginFolderCommand);
    addCommand(fileMenu_, QStringLiteral("Explore Your Zarvo Folder"), ExploreKitFolderCommand);
    fileMenu_->addSeparator();
    addCommand(fileMenu_, QStringLiteral("Delete Unused Samples from VST Zarvo Folder"),
               DeleteUnusedSamplesCommand);
    fileMenu_->addSeparator();
    addCommand(fileMenu_, QStringLiteral("Recent File"), Document::RecentFirstCommand)
        ->setEnabled(false);
    fileMenu_->addSeparator();
    addCommand(fileMenu_, QStringLiteral("E&xit"), ExitCommand);

    padMenu_ = new QMenu(QStringLiteral("Pad"), this);
    addCommand(padMenu_, QStringLiteral("Cu&t\tCtrl+X"), CutCommand);
    addCommand(padMenu_, QStringLiteral("&Copy\tCtrl+C"), CopyCommand);
    addCommand(padMenu_, QStringLiteral("&Paste/Swap\tCtrl+V"), PasteCommand);
    padMenu_->addSeparator();
    addCommand(padMenu_, QStringLiteral("&Rename\tF2"), RenameCommand);
    addCommand(padMenu_, QStringLiteral("&Delete\tDel"), DeleteCommand);
    padMenu_->addSeparator();
    addCommand(padMenu_, QStringLiteral("Import Instrument\tCtrl+Shft+O"), ImportInstrumentCommand);
    addCommand(padMenu_, QStringLiteral("Export Instrument\tCtrl+Shft+S"), ExportInstrumentCommand);
    addCommand(padMenu_, QStringLiteral("Save Instrument as kit"), SaveInstrumentAsKitCommand);
    padMenu_->addSeparator();
    addCommand(padMenu_, QStringLiteral("Revert to Saved\tCtrl+Z"), Document::RevertCommand);

    zoneMenu_ = new QMenu(QStringLiteral("&Samples"), this);
    addCommand(zoneMenu_, QStringLiteral("Import samples\tDblClk"), ImportSamplesCommand);
    zoneMenu_->addSeparator();
    addCommand(zoneMenu_, QStringLiteral("Import Instrument\tCtrl+Shft+O"),
               ImportInstrumentCommand);
    addCommand(zoneMenu_, QStringLiteral("Export Instrument\tCtrl+Shft+S"),
               ExportInstrumentCommand);
    zoneMenu_->addSeparator();
    addCommand(zoneMenu_, QStringLiteral("&Copy\tCtrl+C"), CopyCommand);
    addCommand(zoneMenu_, QStringLiteral("&Paste/Swap/Move\tCtrl+V"), PasteCommand);
    zoneMenu_->addSeparator();
    addCommand(zoneMenu_, QStringLiteral("&Rename/Change\tF2"), RenameCommand);
    addCommand(zoneMenu_, QStringLiteral("Delete\tDel (+SHIFT Delete from disk)"), DeleteCommand);
    zoneMenu_->addSeparator();
    addCommand(zoneMenu_, QStringLiteral("Set dinamic velocity"), SpreadVelocitiesCommand);
    zoneMenu_->addSeparator();
    addCommand(zoneMenu_, QStringLiteral("Edit\tCtrl+E"), EditSampleCommand);
    addCommand(zoneMenu_, QStringLiteral("Select Wave Editor"), SelectWaveEditorCommand);
    zoneMenu_->addSeparator();
    addCommand(zoneMenu_, QStringLiteral("Revert to Saved\tCtrl+Z"), Document::RevertCommand);

    secondMenuEntry_ = bar->addMenu(padMenu_);
    audioOutMenu_ = bar->addMenu(QStringLiteral("Audio Out"));
    connect(audioOutMenu_, &QMenu::aboutToShow, this, &MainWindow::buildAudioOutMenu);
    QAction* about = bar->addAction(QStringLiteral("About"));
    about->setData(static_cast<int>(AboutCommand));

    // One path for every menu entry, the bar's own "About" included. The zone list's popup
    // is routed the same way while it is shown on its own.
    connect(bar, &QMenuBar::triggered, this, [this](QAction* item) { command(commandId(item)); });
    connect(zoneMenu_, &QMenu::triggered, this, [this](QAction* item) {
        if (!menuBar()->actions().contains(zoneMenu_->menuAction())) {
            command(commandId(item));
        }
    });
    connect(padMenu_, &QMenu::triggered, this, [this](QAction* item) {
        if (!menuBar()->actions().contains(padMenu_->menuAction())) {
            command(commandId(item));
        }
    });
}

void MainWindow::buildAccelerators() {
    struct Accelerator {
        QList<QKeySequence> keys;
        int id;
    };
    const QList<Accelerator> table{
        {{QKeySequence(Qt::CTRL | Qt::Key_N)}, Document::NewCommand},
        {{QKeySequence(Qt::CTRL | Qt::Key_O)}, Document::OpenCommand},
        {{QKeySequence(Qt::CTRL | Qt::Key_S), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
         Document::SaveCommand},
        {{QKeySequence(Qt::CTRL | Qt::Key_Z)}, Document::RevertCommand},
        {{QKeySequence(Qt::ALT | Qt::Key_A)}, AboutCommand},
        {{QKeySequence(Qt::CTRL | Qt::Key_A)}, SelectAllCommand},
        {{QKeySequence(Qt::CTRL | Qt::Key_C)}, CopyCommand},
        {{QKeySequence(Qt::CTRL | Qt::Key_X)}, CutCommand},
        {{QKeySequence(Qt::CTRL | Qt::Key_V)}, PasteCommand},
        {{QKeySequence(Qt::CTRL | Qt::Key_E)}, EditSampleCommand},
    };
    for (const Accelerator& entry : table) {
        auto* accelerator = new QAction(this);
        accelerator->setData(entry.id);
        accelerator->setShortcuts(entry.keys);
        accelerator->setShortcutContext(Qt::WindowShortcut);
        connect(accelerator, &QAction::triggered, this, [this, id = entry.id] { command(id); });
        addAction(accelerator);
        accelerators_.append(accelerator);
    }
    // Delete, F2, the arrows, Space and Tab reach the focused control as well; they are
    // turned into commands in eventFilter.
}

void MainWindow::startUp(bool reopenLastKit) {
    buildAudioOutMenu();
    // Only an "Audio Out" entry is taken from the stored value: whatever else a damaged
    // settings file holds must not run as a command (40012 would delete samples).
    selectAudioOut(settings_.readNumber(QStringLiteral("WaveOutChk"), AudioOutFirstCommand));

    kit_.copyright = toStd(loginName());
    copyright_->setText(loginName());
    animation_->play();

    document_.initialise(fileMenu_);
    waveEditor_ = settings_.readString(QStringLiteral("WaveEditor"));
    host_->selectPad(0, 0);

    shareSamples_ = settings_.readNumber(QStringLiteral("flShared"), 0) != 0 ? 8 : 0;
    const QString codePageName = readCodePageName(settings_);
    if (const auto page = CodePage::byName(toStd(codePageName))) {
        codePage_ = *page;
    } else {
        host_->showMessage(MessageIcon::Warning,
                           "The code page \"" + toStd(codePageName) +
                               "\" of the settings is not known. Kits are read and written in " +
                               std::string(codePage_.name()) + ".");
    }
    if (QAction* share = action(ShareSamplesCommand)) {
        share->setChecked(shareSamples_ != 0);
    }
    chooseSampleFolder();
    // The empty kit then takes the shared folder, whatever the option, as after New.
    kit_.newKit();
    showKit();

    if (reopenLastKit) {
        document_.openKitPath({});
    }
    updateCommandStates();
}

void MainWindow::command(int id) {
    if (id < 0) {
        return;
    }
    if (!document_.handleCommand(id)) {
        ownCommand(id);
        QWidget* focus = QApplication::focusWidget();
        if (focus != nullptr && focus == zoneList_ && zoneHandler_) {
            zoneHandler_(id);
        }
        focus = QApplication::focusWidget();
        if (qobject_cast<PadButton*>(focus) != nullptr && padHandler_) {
            padHandler_(id);
        }
    }
    updateCommandStates();
}

bool MainWindow::ownCommand(int id) {
    switch (id) {
    case ShareSamplesCommand:
        toggleShareSamples();
        return true;
    case Document::RevertCommand:
        document_.openKitPath({});
        return true;
    case SwitchFocusCommand:
        switchFocus();
        return true;
    case DeleteUnusedSamplesCommand:
        deleteUnusedSamples();
        return true;
    case ExploreKitFolderCommand:
        exploreKitFolder();
        return true;
    case ExplorePluginFolderCommand:
        explorePluginFolder();
        return true;
    case AboutCommand:
    case PictureCommand:
        showAbout();
        return true;
    case ExitCommand:
        close();
        return true;
    default:
        break;
    }
    if (id >= AudioOutFirstCommand && id < AudioOutFirstCommand + kAudioOutIdRange) {
        // selectAudioOut ignores the ids of outputs that are gone.
        selectAudioOut(id);
        return true;
    }
    // Pad label clicks (rename) and the instrument commands belong to the pad panel.
    return false;
}

void MainWindow::updateCommandStates() {
    enabler_.disable(kCommandsNotYetAvailable);
    enabler_.setEnabled({DeleteUnusedSamplesCommand}, shareSamples_ != 0);
    enabler_.setEnabled({Document::RevertCommand}, document_.canRevert());
}

void MainWindow::toggleShareSamples() {
    shareSamples_ = shareSamples_ != 0 ? 0 : 8;
    if (QAction* share = action(ShareSamplesCommand)) {
        share->setChecked(shareSamples_ != 0);
    }
    settings_.writeNumber(QStringLiteral("flShared"), shareSamples_);
    chooseSampleFolder();
}

void MainWindow::chooseSampleFolder() {
    kit_.sampleFolder = padsmith::chooseSampleFolder(shareSamples_ != 0, kit_.kitName);
    sampleFolder_->setText(fromStd(kit_.sampleFolder));
}

void MainWindow::buildAudioOutMenu() {
    const AudioOutputs outputs = audioOutputs();
    audioDeviceCount_ = static_cast<int>(outputs.names.size());
    audioOutMenu_->clear();
    // Rebuilt each time the menu opens: the group of the last build goes with its entries.
    qDeleteAll(audioOutMenu_->findChildren<QActionGroup*>(Qt::FindDirectChildrenOnly));
    auto* group = new QActionGroup(audioOutMenu_);
    group->setExclusive(true);
    auto entry = [&](const QString& text, int id) {
        QAction* item = addCommand(audioOutMenu_, text, id);
        item->setCheckable(true);
        item->setChecked(id == audioOutChecked_);
        group->addAction(item);
    };
    entry(outputs.defaultName.isEmpty()
              ? QStringLiteral("Default output")
              : QStringLiteral("Default output (%1)").arg(outputs.defaultName),
          AudioOutFirstCommand);
    for (int k = 0; k < audioDeviceCount_; ++k) {
        entry(outputs.names.at(k), AudioOutFirstCommand + 1 + k);
    }
}

void MainWindow::selectAudioOut(int id) {
    if (id < AudioOutFirstCommand || id >= AudioOutFirstCommand + 1 + audioDeviceCount_) {
        return;
    }
    audioOutChecked_ = id;
    for (QAction* item : audioOutMenu_->actions()) {
        item->setChecked(commandId(item) == id);
    }
    settings_.writeNumber(QStringLiteral("WaveOutChk"), id);
    outputDevice_ = id - (AudioOutFirstCommand + 1);
}

void MainWindow::deleteUnusedSamples() {
    zoneList_->setBackgroundColour(Qt::black);
    animation_->showFrame(0);
    setBusyCursor(true);
    padsmith::pumpMessages();
    host_->stopPreview();
    padsmith::deleteUnusedSamples(toFsPath(pluginFolder_), *host_, false, codePage_);
    zoneList_->setBackgroundColour(ZoneListView::kBackground);
    animation_->showFrame(1);
    setBusyCursor(false);
}

void MainWindow::explorePluginFolder() {
    dialogs().openFolder(pluginFolder_);
}

void MainWindow::exploreKitFolder() {
    const QString path = document_.currentPath();
    dialogs().openFolder(path.isEmpty() ? QString() : fromStd(folderOf(toStd(path))));
}

void MainWindow::showAbout() {
    if (about_ == nullptr) {
        about_ = new AboutDialog(this);
    }
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void MainWindow::showKit() {
    kitName_->setText(fromStd(kit_.kitName));
    kitSize_->setText(fromStd(sizeText(kit_.computeKitSize())));
    sampleFolder_->setText(fromStd(kit_.sampleFolder));
    copyright_->setText(fromStd(kit_.copyright));
    for (int pad = 0; pad < kPadCount; ++pad) {
        padLabels_[static_cast<std::size_t>(pad)]->setText(
            fromStd(kit_.pads[static_cast<std::size_t>(pad)].label));
    }
}

QAction* MainWindow::action(int id) const {
    QList<QMenu*> menus{fileMenu_, padMenu_, zoneMenu_, audioOutMenu_};
    for (QMenu* menu : menus) {
        for (QAction* item : menu->actions()) {
            if (commandId(item) == id) {
                return item;
            }
        }
    }
    for (QAction* item : menuBar()->actions()) {
        if (commandId(item) == id) {
            return item;
        }
    }
    for (QAction* item : accelerators_) {
        if (commandId(item) == id) {
            return item;
        }
    }
    return nullptr;
}

KitLocation MainWindow::kitLocation() {
    return {toFsPath(pluginFolder_), shareSamples_ != 0, codePage_};
}

void MainWindow::collectKitFields() {
    QString text = copyright_->text();
    text.remove(',');
    kit_.copyright = toStd(text);
}

void MainWindow::switchFocus() {
    if (keyRepeat_) {
        return; // Tab held down moves the focus once
    }
    if (zoneList_->hasFocus()) {
        pads_[static_cast<std::size_t>(std::clamp(kit_.currentPad, 0, kPadCount - 1))]->setFocus(
            Qt::TabFocusReason);
    } else {
        zoneList_->setFocus(Qt::TabFocusReason);
    }
}

void MainWindow::focusMoved(QWidget* now) {
    if (now == zoneList_) {
        showSecondMenu(zoneMenu_, QStringLiteral("&Samples"));
    } else if (auto* pad = qobject_cast<PadButton*>(now)) {
        kit_.currentPad = pad->pad();
        showSecondMenu(padMenu_, QStringLiteral("&Pad"));
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
    QAction* before = audioOutMenu_->menuAction();
    bar->removeAction(secondMenuEntry_);
    secondMenuEntry_ = bar->insertMenu(before, menu);
}

int MainWindow::plainKeyCommand(const QKeyEvent& key) const {
    const Qt::KeyboardModifiers modifiers =
        key.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return (modifiers & ~Qt::ShiftModifier) == Qt::NoModifier ? SwitchFocusCommand : -1;
    case Qt::Key_Delete:
        return (modifiers & ~Qt::ShiftModifier) == Qt::NoModifier ? DeleteCommand : -1;
    case Qt::Key_F2:
        return modifiers == Qt::NoModifier ? RenameCommand : -1;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Space:
        return modifiers == Qt::NoModifier ? NavigateCommand : -1;
    default:
        return -1;
    }
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
    const int id = plainKeyCommand(*key);
    if (id == SwitchFocusCommand) {
        command(id);
        return true;
    }
    if (id > 0 && enabler_.isEnabled(id)) {
        // The focused control sees the key first; the command follows it.
        QMetaObject::invokeMethod(
            this, [this, id] { command(id); }, Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!document_.queryClose()) {
        event->ignore();
        return;
    }
    if (about_ != nullptr) {
        about_->close();
    }
    // Close the audio stream while the event loop still runs: Qt's PulseAudio back end may
    // abort when a stream is still closing at exit.
    if (preview_ != nullptr) {
        preview_->stopPreview();
    }
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.append(QDir::toNativeSeparators(url.toLocalFile()));
        }
    }
    if (paths.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    document_.dropFiles(paths);
    updateCommandStates();
}

} // namespace padsmith
