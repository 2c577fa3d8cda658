// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Startup.h"

#include "app/CommandLine.h"
#include "app/DropTargets.h"
#include "app/FontConfigPreload.h"
#include "app/ImagePluginPreload.h"
#include "app/MainWindow.h"
#include "app/Operation.h"
#include "app/Services.h"
#include "app/SingleInstance.h"
#include "audio/SoundSystem.h"
#include "platform/Modules.h"
#include "platform/ProgramInfo.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <iostream>
#include <memory>
#if defined(Q_OS_UNIX)
#include <csignal>
#include <unistd.h>
#endif

namespace padsmith {

namespace {

QString withSeparator(QString folder) {
    if (!folder.endsWith('/') && !folder.endsWith(QDir::separator())) {
        folder += QDir::separator();
    }
    return folder;
}

QString defaultBrowseFolder() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\Program Files\\Orbenfeld");
#else
    return vstPluginsPath();
#endif
}

void bringToFront(MainWindow& window) {
    window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.show();
    window.raise();
    window.activateWindow();
}

// Runs `work` once, after `window` has been put on screen and painted (or after a second, for
// a window the system does not show, such as one started minimised).
void whenFirstShown(QWidget& window, std::function<void()> work) {
    auto* watcher = new QObject(&window);
    auto run = std::make_shared<std::function<void()>>(std::move(work));
    auto once = [watcher, run] {
        if (*run) {
            const std::function<void()> todo = std::move(*run);
            *run = nullptr;
            watcher->deleteLater();
            todo();
        }
    };
    class ExposeFilter : public QObject {
    public:
        ExposeFilter(QObject* parent, std::function<void()> exposed)
            : QObject(parent), exposed_(std::move(exposed)) {}
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Expose) {
                if (auto* surface = qobject_cast<QWindow*>(watched);
                    surface && surface->isExposed()) {
                    // Queued: the paint that the exposure asks for happens first.
                    QTimer::singleShot(0, this, exposed_);
                }
            }
            return false;
        }

    private:
        std::function<void()> exposed_;
    };
    window.winId(); // makes the native window whose exposure is watched
    window.windowHandle()->installEventFilter(new ExposeFilter(watcher, once));
    QTimer::singleShot(1000, watcher, once);
}

// The command line in the terminal's encoding, before any Qt object exists.
QStringList rawArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    return arguments;
}

} // namespace

QString editorInstanceKey(const SettingsStore& settings) {
    return QFileInfo(settings.location()).absoluteFilePath();
}

void openKitFromOutside(MainWindow& window, const QString& path) {
    if (operationRunning() || QApplication::activeModalWidget() != nullptr) {
        // The window is the timer's context: a closed editor drops the kit with it.
        QTimer::singleShot(200, &window, [&window, path] { openKitFromOutside(window, path); });
        return;
    }
    window.dropTargets().dropFiles({path}, {}, Qt::NoModifier);
    window.updateCommandStates();
}

std::optional<QString> findPluginFolder(SettingsStore& settings, Dialogs& dialogs) {
    const QString name = QStringLiteral("ZVDIR");
    QString folder = settings.readString(name);
    if (folder.isEmpty()) {
        const QString vst = vstPluginsPath();
        folder = vst.isEmpty() ? QString() : withSeparator(withSeparator(vst) + "Zarvo");
        settings.writeString(name, folder);
    }
    while (folder.isEmpty() || !QFileInfo(QDir(folder).filePath(kPluginLibrary)).isFile()) {
        const QString chosen = dialogs.browseForFolder(
            nullptr, defaultBrowseFolder(),
            QStringLiteral("Zarvo not installed or not properly installed!\n"
                           "Please select your Zarvo folder ..."));
        if (chosen.isEmpty()) {
            return std::nullopt;
        }
        if (!QFileInfo(QDir(chosen).filePath(kPluginLibrary)).isFile()) {
            // Said before the chooser comes back, so the user knows what the folder lacks.
            dialogs.message(nullptr, kProgramName,
                            QStringLiteral("%1 is not the Zarvo folder: it holds no %2, the "
                                           "plug-in's library.\nPlease choose the folder that "
                                           "holds %2.")
                                .arg(QDir::toNativeSeparators(chosen), kPluginLibrary),
                            MessageButtons::Ok, MessageIcon::Warning);
            continue;
        }
        folder = withSeparator(QDir::toNativeSeparators(chosen));
        settings.writeString(name, folder);
    }
    return folder;
}

void startSoundAndMidi(MainWindow& window, const QStringList& moduleFolders) {
    LoadedSound loaded = loadSoundModule(moduleFolders, &window.sampleCache());
    const bool silent = loaded.sound == nullptr;
    window.setSound(silent ? silentSound(QStringLiteral("the sound module could not be loaded"))
                           : std::move(loaded.sound));
    window.startMidi();
    window.startBackgroundWork();
    if (silent) {
        messageBox(
            MessageButtons::Ok, MessageIcon::Warning,
            QStringLiteral("Padsmith's sound module could not be loaded: samples are not "
                           "played and MIDI notes are not taken. Everything else works.\n\n%1")
                .arg(loaded.error));
    }
}

namespace {

#if defined(Q_OS_UNIX)
int terminateWrite = -1;

void onTerminate(int /*signal*/) {
    const char byte = 1;
    const ssize_t written = ::write(terminateWrite, &byte, 1);
    (void)written; // nothing can be done about a full pipe here: the loop is told already
}
#endif

// A session's end (SIGTERM) or Ctrl+C ends the event loop, so that the window and the sound
// system are taken down in order: a JACK client that simply vanished would leave the server
// waiting for it in the middle of a period, and every other JACK program would drop out.
void quitOnTerminate() {
#if defined(Q_OS_UNIX)
    int ends[2] = {-1, -1};
    if (::pipe(ends) != 0) {
        return;
    }
    terminateWrite = ends[1];
    auto* notifier = new QSocketNotifier(ends[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] { QCoreApplication::quit(); });
    struct sigaction action {};
    action.sa_handler = &onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
#endif
}

} // namespace

int runEditor(int argc, char** argv) {
    // The words that ask for something else than the editor are answered without a window,
    // so they work without a display too.
    const EditorArguments early = parseEditorArguments(rawArguments(argc, argv));
    switch (early.action) {
    case EditorArguments::Action::Help:
        std::cout << editorHelpText().toLocal8Bit().constData();
        return 0;
    case EditorArguments::Action::Version:
        std::cout << "Padsmith " << program::kVersion << "\n"
                  << program::kCopyright << "\n"
                  << program::kLicenceNotice;
        return 0;
    case EditorArguments::Action::Invalid:
        std::cerr << "padsmith: " << early.error.toLocal8Bit().constData()
                  << "\nRun \"padsmith --help\" for the usage.\n";
        return 2;
    case EditorArguments::Action::Uninstall:
        return uninstallUserData(early, std::cin, std::cout, std::cerr);
    case EditorArguments::Action::Edit:
        break;
    }

    FontConfigPreload fonts;
    QApplication application(argc, argv);
    fonts.finish();
    const std::jthread imagePlugins = preloadImagePlugins();
    QApplication::setApplicationName(kProgramName);
    QApplication::setOrganizationName(QStringLiteral("Mervane"));
    QApplication::setApplicationVersion(QString::fromLatin1(program::kVersion));
    // The desktop entry the window belongs to: its icon and name in the task bar.
    QApplication::setDesktopFileName(QStringLiteral("com.mervane.Padsmith"));

    // Read again without the options Qt has taken for itself.
    const EditorArguments arguments = parseEditorArguments(QApplication::arguments());
    const QString kitFile =
        arguments.kitFile.isEmpty() ? QString() : QFileInfo(arguments.kitFile).absoluteFilePath();
    auto settings = arguments.settingsFile.isEmpty()
                        ? std::make_unique<SettingsStore>()
                        : std::make_unique<SettingsStore>(arguments.settingsFile);

    // The window is built while the lock of the first instance is taken; the kit is read and the
    // window shown only when this is the first.
    SingleInstanceGuard guard(editorInstanceKey(*settings));
    guard.beginClaim();
    const std::optional<QString> pluginFolder = findPluginFolder(*settings, dialogs());
    if (!pluginFolder) {
        return 0;
    }

    MainWindow window(*settings, *pluginFolder);
    if (!guard.claim(kitFile)) {
        return 0; // the running editor has been brought to the front and given the kit
    }
    QObject::connect(&guard, &SingleInstanceGuard::raiseRequested, &window,
                     [&window] { bringToFront(window); });
    QObject::connect(&guard, &SingleInstanceGuard::openRequested, &window,
                     [&window](const QString& path) { openKitFromOutside(window, path); });
    const bool shiftHeld = dialogs().keyboardModifiers().testFlag(Qt::ShiftModifier);
    // A kit named on the command line takes the place of the last one.
    window.startUp(!shiftHeld && kitFile.isEmpty());
    // The window comes first; sound, MIDI and the cache's reading start once it is on screen.
    // No note can arrive before the inputs are open, so none is lost.
    whenFirstShown(window, [&window] { startSoundAndMidi(window, moduleFolders()); });
    window.show();
    if (!kitFile.isEmpty()) {
        openKitFromOutside(window, kitFile);
    }
    quitOnTerminate();
    return QApplication::exec();
}

} // namespace padsmith
