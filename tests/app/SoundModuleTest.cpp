// SPDX-License-Identifier: GPL-3.0-or-later
// The sound module the editor loads once its window is on screen: where it is found, and the
// window with it and without it.
#include "AppFixture.h"
#include "app/AboutDialog.h"
#include "app/AudioOutMenu.h"
#include "app/Controls.h"
#include "app/Startup.h"
#include "audio/SampleCache.h"
#include "audio/SoundSystem.h"
#include "formats/KitFormats.h"
#include "platform/Modules.h"

#include <QLabel>
#include <QTest>

namespace padsmith::test {

class SoundModuleTest : public QObject {
    Q_OBJECT

private:
    static QString moduleFolder() { return QStringLiteral(PADSMITH_SOUND_MODULE_DIR); }

    // A window started as the editor starts it, its sound taken from `folders`.
    static MainWindow& startWindow(AppFixture& app, const QStringList& folders) {
        app.window = std::make_unique<MainWindow>(*app.settings, app.plugin);
        app.window->startUp(false);
        startSoundAndMidi(*app.window, folders);
        return *app.window;
    }

    static QString aboutMidiText(MainWindow& window) {
        window.command(CommandId::About);
        return aboutDialog(window)->midiStatus()->text();
    }

private slots:
    void moduleIsTakenFromTheFirstFolderThatHoldsIt_data() {
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QString>("error");
        const QString empty = QStringLiteral("empty");
        const QString other = QStringLiteral("other");
        QTest::newRow("its folder") << QStringList{moduleFolder()} << true << QString();
        QTest::newRow("an empty folder first")
            << QStringList{empty, moduleFolder()} << true << QString();
        QTest::newRow("no folder holds it")
            << QStringList{empty} << false << QStringLiteral("padsmith-sound");
        QTest::newRow("no folder at all")
            << QStringList{} << false << QStringLiteral("No folder to look for padsmith-sound");
        QTest::newRow("a damaged copy first")
            << QStringList{other, moduleFolder()} << true << QString();
    }
    void moduleIsTakenFromTheFirstFolderThatHoldsIt() {
        QFETCH(QStringList, folders);
        QFETCH(bool, loaded);
        QFETCH(QString, error);
        AppFixture app;
        QDir(app.dir.path()).mkpath(QStringLiteral("empty"));
        AppFixture::touch(app.path(QStringLiteral("other/") + kSoundModuleName + ".so"),
                          "not a library");
        for (QString& folder : folders) {
            if (QDir::isRelativePath(folder)) {
                folder = app.path(folder);
            }
        }

        SampleCache cache(0);
        const LoadedSound result = loadSoundModule(folders, &cache);
        QCOMPARE(result.sound != nullptr, loaded);
        if (loaded) {
            QVERIFY(result.error.isEmpty());
            QVERIFY(result.sound->midiStatusText().startsWith("MIDI input: "));
            QVERIFY(result.sound->outputStatusText().startsWith("Audio output: "));
            result.sound->previewSample(toStd(app.path("missing.wav")), -1, {});
            QVERIFY(!result.sound->isPreviewing());
        } else {
            QVERIFY2(result.error.contains(error), qPrintable(result.error));
        }
    }

    // The readers and writers of other samplers' kits come from their own module, loaded on
    // the first import or export.
    void formatsModuleExportsAKit() {
        AppFixture app;
        QString error;
        const auto entry = reinterpret_cast<formats::FormatsModuleEntry>(
            loadModuleEntry({moduleFolder()}, QString::fromLatin1(formats::kFormatsModuleName),
                            formats::kFormatsModuleEntry, error));
        QVERIFY2(entry != nullptr, qPrintable(error));
        QVERIFY(entry(formats::kFormatsInterfaceVersion + 1) == nullptr);
        const std::unique_ptr<formats::KitFormats> kitFormats(
            entry(formats::kFormatsInterfaceVersion));
        QVERIFY(kitFormats != nullptr);
        KitDocument kit;
        kit.kitName = "drums";
        SampleZone zone;
        zone.key = 36;
        zone.sampleName = "kick.wav";
        zone.sourcePath = toStd(app.path(QStringLiteral("library/kick.wav")));
        AppFixture::touch(app.path(QStringLiteral("library/kick.wav")), "RIFF");
        kit.pads[0].append(zone);
        const formats::ExportResult result =
            kitFormats->exportKit(kit, toFsPath(app.path(QStringLiteral("out/drums.sfz"))),
                                  toFsPath(app.path(QStringLiteral("cache"))), {});
        QVERIFY2(result.written, result.error.c_str());
        QVERIFY(QFileInfo::exists(app.path(QStringLiteral("out/drums.sfz"))));
    }

    // Without its module the editor says so once, and runs silent and without MIDI: pads and
    // rows can be clicked, the "Audio Out" menu offers the default output alone, and the About
    // window tells why there is no MIDI.
    void windowWithoutTheModuleRunsSilent() {
        AppFixture app;
        MainWindow& window = startWindow(app, {app.path("nowhere")});
        QCOMPARE(app.dialogs.messages.size(), 1);
        QVERIFY(app.dialogs.messages.first().contains("sound module could not be loaded"));
        QVERIFY(app.dialogs.messages.first().contains("padsmith-sound"));

        window.document().openKitPath(app.writeKit(QStringLiteral("drums.txt")));
        window.show();
        if (!QTest::qWaitForWindowActive(&window)) {
            qWarning("window not active");
        }
        QTest::mouseClick(padButton(window, 1), Qt::LeftButton);
        QTest::mouseClick(padButton(window, 0), Qt::LeftButton); // its zone would play
        QCOMPARE(window.kit().currentPad, 0);
        QVERIFY(!window.sound().isPreviewing());
        audioOutMenu(window)->rebuild();
        QCOMPARE(audioOutMenu(window)->actions().size(), 1);
        QVERIFY(aboutMidiText(window).contains("sound module could not be loaded"));
    }

    void windowWithTheModulePlays() {
        AppFixture app;
        MainWindow& window = startWindow(app, {moduleFolder()});
        QVERIFY2(app.dialogs.messages.isEmpty(), qPrintable(app.dialogs.messages.join('\n')));
        QVERIFY(!aboutMidiText(window).contains("sound module"));
        if (!qEnvironmentVariableIsEmpty("PADSMITH_TEST_SINK")) {
            QVERIFY(!window.sound().outputs().names.isEmpty());
        }
    }
};

} // namespace padsmith::test

QTEST_MAIN(padsmith::test::SoundModuleTest)
#include "SoundModuleTest.moc"
