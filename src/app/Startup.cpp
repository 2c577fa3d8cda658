#include "app/Startup.h"

#include "app/MainWindow.h"
#include "app/Services.h"
#include "app/SingleInstance.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QSettings>
#include <memory>

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

// The file the settings live in: it names this user's editor for the single-instance guard.
QString settingsKey(const QString& iniFile) {
    if (!iniFile.isEmpty()) {
        return QFileInfo(iniFile).absoluteFilePath();
    }
    return QSettings(QStringLiteral("Mervane"), kProgramName).fileName();
}

} // namespace

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
        folder = withSeparator(QDir::toNativeSeparators(chosen));
        settings.writeString(name, folder);
    }
    return folder;
}

int runEditor(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(kProgramName);
    QApplication::setOrganizationName(QStringLiteral("Mervane"));
    QApplication::setApplicationVersion(QStringLiteral(PADSMITH_VERSION));

    QString iniFile;
    const QStringList arguments = QApplication::arguments();
    const qsizetype option = arguments.indexOf(QStringLiteral("--settings"));
    if (option >= 0 && option + 1 < arguments.size()) {
        iniFile = arguments.at(option + 1);
    }
    auto settings = iniFile.isEmpty() ? std::make_unique<SettingsStore>()
                                      : std::make_unique<SettingsStore>(iniFile);

    SingleInstanceGuard guard(settingsKey(iniFile));
    if (!guard.claim()) {
        return 0; // the running editor has been brought to the front
    }

    const std::optional<QString> pluginFolder = findPluginFolder(*settings, dialogs());
    if (!pluginFolder) {
        return 0;
    }

    // MIDI input is opened here, before the window exists.

    MainWindow window(*settings, *pluginFolder);
    QObject::connect(&guard, &SingleInstanceGuard::raiseRequested, &window, [&window] {
        window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        window.show();
        window.raise();
        window.activateWindow();
    });
    const bool shiftHeld = dialogs().keyboardModifiers().testFlag(Qt::ShiftModifier);
    window.startUp(!shiftHeld);
    window.adjustSize();
    if (QScreen* screen = window.screen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
    window.show();
    window.setFixedSize(window.size());
    return QApplication::exec();
}

} // namespace padsmith
