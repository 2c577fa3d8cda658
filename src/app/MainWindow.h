#pragma once

#include "app/Document.h"
#include "app/Services.h"
#include "kit/KitDocument.h"
#include "kit/KitHost.h"
#include "kit/SampleFolders.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QMenu;

namespace padsmith {

class AboutDialog;
class AnimationControl;
class ClickLabel;
class PadButton;
class PreviewPlayer;
class SettingsStore;
class ZoneListView;

// Command ids of the window's menus and accelerators.
enum CommandId : int {
    RenameCommand = 2050,
    DeleteCommand = 2051,
    ImportInstrumentCommand = 40001,
    ExportInstrumentCommand = 40002,
    ImportSamplesCommand = 40003,
    EditSampleCommand = 40006,
    SelectWaveEditorCommand = 40007,
    NavigateCommand = 40008,
    ExplorePluginFolderCommand = 40009,
    ExploreKitFolderCommand = 40010,
    SwitchFocusCommand = 40011,
    DeleteUnusedSamplesCommand = 40012,
    SaveInstrumentAsKitCommand = 40016,
    ShareSamplesCommand = 40017,
    SpreadVelocitiesCommand = 1085,
    CopyCommand = 57634,
    CutCommand = 57635,
    PasteCommand = 57637,
    SelectAllCommand = 57642,
    AboutCommand = 57664,
    ExitCommand = 57665,
    PictureCommand = 1082,
    FirstPadLabelCommand = 1061,
    AudioOutFirstCommand = 1223,
};

// The editor's one window: the kit fields, the zone list, the 18 pads and the picture, the
// menus and accelerators, and the routing of every command to the part that owns it.
class MainWindow : public QMainWindow, private DocumentWindow {
    Q_OBJECT
public:
    // Handles a command for the zone list or the pads; true when it took the command.
    using CommandHandler = std::function<bool(int id)>;

    MainWindow(SettingsStore& settings, const QString& pluginFolder, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The settings-dependent part of start-up, from the document's initialisation to the
    // reopening of the last kit (skipped when `reopenLastKit` is false).
    void startUp(bool reopenLastKit);

    // Every menu entry and accelerator comes here: the document first, then the window's own
    // commands, then the zone list's or the pad's handler by focus; then the enabling.
    void command(int id);
    void updateCommandStates();

    void setZoneCommandHandler(CommandHandler handler) { zoneHandler_ = std::move(handler); }
    void setPadCommandHandler(CommandHandler handler) { padHandler_ = std::move(handler); }

    void toggleShareSamples();
    void chooseSampleFolder();
    void buildAudioOutMenu();
    void selectAudioOut(int id);
    void deleteUnusedSamples();
    void explorePluginFolder();
    void exploreKitFolder();
    void showAbout();
    // Puts the kit's fields and pad names on the window again.
    void showKit() override;

    Document& document() { return document_; }
    KitDocument& kit() { return kit_; }
    KitHost& kitHost() override;
    const QString& pluginFolder() const { return pluginFolder_; }
    bool shareSamples() const { return shareSamples_ != 0; }
    // The code page of the kit files, from the settings: texts typed into the kit are checked
    // against it.
    const CodePage& codePage() const { return codePage_; }
    int outputDevice() const { return outputDevice_; }
    const QString& waveEditor() const { return waveEditor_; }
    bool keyRepeating() const { return keyRepeat_; }
    PreviewPlayer& previewPlayer();
    CommandEnabler& commandEnabler() { return enabler_; }

    ZoneListView* zoneList() const { return zoneList_; }
    PadButton* padButton(int pad) const;
    ClickLabel* padLabel(int pad) const;
    ClickLabel* kitNameField() const { return kitName_; }
    QLabel* kitSizeField() const;
    ClickLabel* sampleFolderField() const { return sampleFolder_; }
    QLineEdit* copyrightField() const { return copyright_; }
    ClickLabel* picture() const { return picture_; }
    AnimationControl* animation() const { return animation_; }
    QMenu* fileMenu() const { return fileMenu_; }
    QMenu* padMenu() const { return padMenu_; }
    QMenu* zoneMenu() const { return zoneMenu_; }
    QMenu* audioOutMenu() const { return audioOutMenu_; }
    AboutDialog* aboutDialog() const;
    // The first menu entry or accelerator with this id (menus first).
    QAction* action(int id) const;
    QList<QAction*> accelerators() const { return accelerators_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Host;

    void buildControls();
    void buildMenus();
    void buildAccelerators();
    bool ownCommand(int id);
    void switchFocus();
    void focusMoved(QWidget* now);
    void showSecondMenu(QMenu* menu, const QString& title);
    int plainKeyCommand(const QKeyEvent& key) const;

    // DocumentWindow
    QWidget* documentWidget() override { return this; }
    KitLocation kitLocation() override;
    SampleFinder& sampleFinder() override { return finder_; }
    void collectKitFields() override;

    SettingsStore& settings_;
    QString pluginFolder_;
    KitDocument kit_;
    std::unique_ptr<Host> host_;
    SampleFinder finder_;
    Document document_;
    std::unique_ptr<PreviewPlayer> preview_;
    CommandEnabler enabler_;
    CommandHandler zoneHandler_;
    CommandHandler padHandler_;

    int shareSamples_ = 0; // 8 when "Share samples" is checked, as stored
    CodePage codePage_;
    int outputDevice_ = -1;
    int audioOutChecked_ = 0; // id of the checked "Audio Out" entry, 0 for none
    int audioDeviceCount_ = 0;
    QString waveEditor_;
    bool keyRepeat_ = false;

    ClickLabel* kitName_ = nullptr;
    QLabel* kitSize_ = nullptr;
    ClickLabel* sampleFolder_ = nullptr;
    QLineEdit* copyright_ = nullptr;
    std::array<PadButton*, kPadCount> pads_{};
    std::array<ClickLabel*, kPadCount> padLabels_{};
    ClickLabel* picture_ = nullptr;
    AnimationControl* animation_ = nullptr;
    ZoneListView* zoneList_ = nullptr;

    QMenu* fileMenu_ = nullptr;
    QMenu* padMenu_ = nullptr;
    QMenu* zoneMenu_ = nullptr;
    QMenu* audioOutMenu_ = nullptr;
    QAction* secondMenuEntry_ = nullptr;
    QList<QAction*> accelerators_;
    QPointer<AboutDialog> about_;
};

} // namespace padsmith
