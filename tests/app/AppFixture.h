// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FakeDialogs.h"
#include "WindowParts.h"
#include "app/MainWindow.h"
#include "app/Services.h"
#include "app/Text.h"
#include "audio/LinkedSound.h"
#include "formats/KitFormats.h"
#include "kit/KitScript.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <memory>

namespace padsmith::test {

// One test's world: its own settings file, a plug-in folder holding "Zarvo.dll", a sample
// library, the fake dialogs, and a window built on them.
struct AppFixture {
    AppFixture() {
        qputenv("VST_PATH", QDir(dir.path()).filePath("no-vst").toUtf8());
        // Files moved to the trash land in the test's own folder.
        qputenv("XDG_DATA_HOME", QDir(dir.path()).filePath("data").toUtf8());
        // So do decoded and unpacked samples.
        qputenv("XDG_CACHE_HOME", QDir(dir.path()).filePath("cache").toUtf8());
        QDir(dir.path()).mkpath("Zarvo");
        plugin = QDir(dir.path()).filePath("Zarvo") + "/";
        touch(plugin + "Zarvo.dll", "");
        settings = std::make_unique<SettingsStore>(QDir(dir.path()).filePath("settings.ini"));
        setDialogs(&dialogs);
    }
    ~AppFixture() {
        window.reset();
        setDialogs(nullptr);
    }
    AppFixture(const AppFixture&) = delete;
    AppFixture& operator=(const AppFixture&) = delete;

    MainWindow& open(bool reopenLastKit = true) {
        window = std::make_unique<MainWindow>(*settings, plugin);
        // The sound is linked in, as the editor's module holds it.
        window->setSound(linkedSound(&window->sampleCache()));
        window->setKitFormats(formats::linkedFormats());
        window->startUp(reopenLastKit);
        window->startBackgroundWork();
        return *window;
    }

    QString path(const QString& relative) const { return QDir(dir.path()).filePath(relative); }

    static void touch(const QString& file, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
    }

    // A kit script at `relative` whose first pad is named `padName` and plays one sample.
    QString writeKit(const QString& relative, const std::string& padName = "KICK") {
        KitDocument kit;
        kit.kitName = toStd(QFileInfo(relative).completeBaseName());
        kit.pads[0].label = padName;
        SampleZone zone;
        zone.key = 36;
        zone.padName = padName;
        zone.sampleName = "kick.wav";
        zone.sourcePath = toStd(path("library/kick.wav"));
        touch(path("library/kick.wav"), "RIFF");
        kit.pads[0].append(zone);
        const QString file = path(relative);
        touch(file, QByteArray::fromStdString(formatKitScript(kit)));
        return file;
    }

    QTemporaryDir dir;
    QString plugin;
    std::unique_ptr<SettingsStore> settings;
    FakeDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

// The file's bytes; "(missing)" when there is no file to read.
inline QByteArray bytesOf(const QString& file) {
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("(missing)");
}

// Key presses that carry letters beyond ASCII, as a keyboard layout gives them (QTest's key
// clicks take ASCII only).
inline void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

} // namespace padsmith::test
