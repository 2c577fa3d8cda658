// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/InstrumentCommands.h"

#include "AppFixture.h"
#include "app/Controls.h"
#include "app/PadPanel.h"
#include "app/ZoneListPanel.h"
#include "kit/InstrumentText.h"

#include <QMenu>
#include <QTest>

namespace padsmith::test {

class InstrumentCommandsTest : public QObject {
    Q_OBJECT

private:
    // A window on the kit "Rock" whose pad 0, "SNARE", plays two samples of "lib", the first
    // at -12 dB; the pad is current and the window active.
    static MainWindow& openRock(AppFixture& app) {
        KitDocument kit;
        kit.kitName = "Rock";
        kit.pads[0].label = "SNARE";
        for (const char* name : {"snare soft.wav", "snare hard.wav"}) {
            SampleZone zone;
            zone.key = 38;
            zone.padName = "SNARE";
            zone.sampleName = name;
            zone.sourcePath = toStd(app.path(QStringLiteral("lib/") + name));
            AppFixture::touch(fromStd(zone.sourcePath), "RIFF");
            kit.pads[0].append(zone);
        }
        kit.pads[0].at(0).velocityHigh = 99;
        kit.pads[0].at(0).gainLeft = 0.25F;
        kit.pads[0].at(1).velocityLow = 100;
        AppFixture::touch(app.path("Rock.txt"), QByteArray::fromStdString(formatKitScript(kit)));
        MainWindow& window = app.open(false);
        window.document().openKitPath(app.path("Rock.txt"));
        window.show();
        if (!QTest::qWaitForWindowActive(&window)) {
            qWarning("window not active");
        }
        padPanel(window).selectPad(0, 1);
        return window;
    }
    static QString native(const QString& path) { return QDir::toNativeSeparators(path); }

private slots:
    void commandsStandInBothPopupsWithKeysOfTheirOwn() {
        AppFixture app;
        MainWindow& window = app.open(false);
        for (QMenu* menu : {padMenu(window), zoneMenu(window)}) {
            for (CommandId id : {CommandId::ImportInstrument, CommandId::ExportInstrument,
                                 CommandId::SaveInstrumentAsKit}) {
                QVERIFY(menu->actions().contains(action(window, id)));
            }
        }
        QCOMPARE(action(window, CommandId::ExportInstrument)->text(),
                 QStringLiteral("Export Instrument\tCtrl+Shift+E"));
        QCOMPARE(action(window, CommandId::ImportInstrument)->text(),
                 QStringLiteral("Import Instrument\tCtrl+Shift+O"));
        QCOMPARE(action(window, CommandId::ExportInstrument)->shortcuts(),
                 QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Shift+E"))});
        QCOMPARE(action(window, CommandId::ImportInstrument)->shortcuts(),
                 QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Shift+O"))});
        QVERIFY(action(window, CommandId::Save)
                    ->shortcuts()
                    .contains(QKeySequence(QStringLiteral("Ctrl+Shift+S"))));
        // An empty pad has nothing to export; anything can be imported.
        QVERIFY(action(window, CommandId::ImportInstrument)->isEnabled());
        QVERIFY(!action(window, CommandId::ExportInstrument)->isEnabled());
        QVERIFY(!action(window, CommandId::SaveInstrumentAsKit)->isEnabled());
    }

    void exportAndImportCarryAPadAsOneUndoStep() {
        AppFixture app;
        MainWindow& window = openRock(app);
        QVERIFY(action(window, CommandId::ExportInstrument)->isEnabled());
        const QString file = app.path("instruments/snare.zvi");
        QDir().mkpath(app.path("instruments"));
        app.dialogs.saveAnswers = {file};
        QTest::keyClick(&window, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
        // The dialog opened where the selected zone's sample lies.
        QCOMPARE(app.dialogs.saveFolders, QStringList{native(app.path("lib"))});
        QCOMPARE(bytesOf(file),
                 QByteArray::fromStdString(formatInstrument(window.kit().pads[0], 0)));
        QCOMPARE(app.settings->readString("Zarvo Instrument (*.zvi)"),
                 native(app.path("instruments")));
        QVERIFY(!window.windowTitle().contains('*'));

        // Into the empty pad 5: the dialog opens in the folder used last.
        padPanel(window).selectPad(5, 0);
        app.dialogs.openAnswers = {file};
        QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(app.dialogs.openFolders.value(0), native(app.path("instruments")));
        const Pad& pad = window.kit().pads[5];
        QCOMPARE(pad.size(), std::size_t{2});
        QCOMPARE(padLabel(window, 5)->text(), QStringLiteral("SNARE"));
        QCOMPARE(pad.at(0).padNumber, 6);
        QCOMPARE(pad.at(0).gainLeft, 0.3F); // one decimal in the file
        QCOMPARE(pad.at(1).sourcePath, window.kit().pads[0].at(1).sourcePath);
        QCOMPARE(zonePanel(window).rowCount(), 2);
        QVERIFY(window.windowTitle().contains('*'));
        QVERIFY(app.dialogs.messages.isEmpty());

        QCOMPARE(action(window, CommandId::Undo)->text(),
                 QStringLiteral("Undo Import Instrument\tCtrl+Z"));
        window.command(CommandId::Undo);
        QVERIFY(window.kit().pads[5].empty());
        QCOMPARE(padLabel(window, 5)->text(), QStringLiteral("XXX"));
        QVERIFY(!window.windowTitle().contains('*'));
        window.command(CommandId::Redo);
        QCOMPARE(window.kit().pads[5].size(), std::size_t{2});

        // Cancelled dialogs change nothing.
        window.command(CommandId::ImportInstrument);
        window.command(CommandId::ExportInstrument);
        QCOMPARE(window.kit().pads[5].size(), std::size_t{2});
        QCOMPARE(action(window, CommandId::Undo)->text(),
                 QStringLiteral("Undo Import Instrument\tCtrl+Z"));
    }

    void importIntoAPadWithZonesAppendsAndKeepsItsName() {
        AppFixture app;
        MainWindow& window = openRock(app);
        const QString file = app.path("snare.zvi");
        app.dialogs.saveAnswers = {file};
        window.command(CommandId::ExportInstrument);
        app.dialogs.openAnswers = {file};
        window.command(CommandId::ImportInstrument);
        const Pad& pad = window.kit().pads[0];
        QCOMPARE(pad.size(), std::size_t{4});
        QCOMPARE(pad.at(2).sampleName, std::string("snare soft.wav"));
        QCOMPARE(padLabel(window, 0)->text(), QStringLiteral("SNARE"));
        QCOMPARE(zonePanel(window).currentRow(), 2); // the first imported zone
    }

    void fileReadInPartOrNotAtAllIsReported() {
        AppFixture app;
        MainWindow& window = openRock(app);
        const std::string whole = formatInstrument(window.kit().pads[0], 0);
        const QString cut = app.path("cut.zvi");
        AppFixture::touch(cut, QByteArray::fromStdString(whole.substr(0, whole.find("hard"))));
        padPanel(window).selectPad(7, 0);
        app.dialogs.openAnswers = {cut, app.path("none.zvi")};
        window.command(CommandId::ImportInstrument);
        QCOMPARE(window.kit().pads[7].size(), std::size_t{1});
        QCOMPARE(app.dialogs.messages.size(), 1);
        QVERIFY2(app.dialogs.messages[0].contains("line 3 could not be read"),
                 qPrintable(app.dialogs.messages[0]));
        QVERIFY(app.dialogs.messages[0].contains("1 zone(s) imported"));

        window.command(CommandId::ImportInstrument);
        QCOMPARE(app.dialogs.messages.value(1), "Can't open " + native(app.path("none.zvi")));
        QCOMPARE(window.kit().pads[7].size(), std::size_t{1});
        QCOMPARE(action(window, CommandId::Undo)->text(),
                 QStringLiteral("Undo Import Instrument\tCtrl+Z"));
    }

    void missingSamplesAreSearchedOnceAndADeclinedSearchStopsTheImport() {
        AppFixture app;
        MainWindow& window = openRock(app);
        const QString file = app.path("snare.zvi");
        app.dialogs.saveAnswers = {file};
        window.command(CommandId::ExportInstrument);
        // The samples move away.
        QDir().mkpath(app.path("moved/deep"));
        for (const char* name : {"snare soft.wav", "snare hard.wav"}) {
            QVERIFY(QFile::rename(app.path(QStringLiteral("lib/") + name),
                                  app.path(QStringLiteral("moved/deep/") + name)));
        }
        // Into a new kit: in the old one the pad still names the samples at their old place,
        // and two sources may not share a sample name.
        window.command(CommandId::New);
        padPanel(window).selectPad(3, 0);
        app.dialogs.openAnswers = {file, file};
        window.command(CommandId::ImportInstrument); // no folder named: nothing comes in
        QCOMPARE(app.dialogs.browsePrompts.size(), 1);
        QVERIFY(window.kit().pads[3].empty());
        app.dialogs.browseAnswers = {app.path("moved")};
        window.command(CommandId::ImportInstrument);
        QCOMPARE(app.dialogs.browsePrompts.size(), 2);
        const Pad& pad = window.kit().pads[3];
        QCOMPARE(pad.size(), std::size_t{2});
        QCOMPARE(fromStd(pad.at(1).sourcePath), app.path("moved/deep/snare hard.wav"));
    }

    void saveInstrumentAsKitAsksBeforeReplacingAFile() {
        AppFixture app;
        MainWindow& window = openRock(app);
        const QString title = window.windowTitle();
        window.command(CommandId::SaveInstrumentAsKit);
        const QString target = app.plugin + "Rock SNARE.txt";
        KitDocument& kit = window.kit();
        // The pad kit names itself and a sample folder of its own, which holds its samples.
        KitDocument padKit = kit;
        padKit.kitName = padKit.sampleFolder = "Rock SNARE";
        const QByteArray padKitText = QByteArray::fromStdString(formatPadKitScript(padKit, 0));
        QCOMPARE(bytesOf(target), padKitText);
        QVERIFY(QFileInfo(app.plugin + "Rock SNARE/snare soft.wav").isFile());
        QVERIFY(app.dialogs.messages.isEmpty());
        QCOMPARE(window.windowTitle(), title);
        QCOMPARE(window.document().currentPath(), native(app.path("Rock.txt")));

        // A kit of that name is there: No keeps it, Yes replaces it.
        AppFixture::touch(target, "vst samples,\r\nthe user's kit,\r\n");
        app.dialogs.messageAnswers = {AnswerNo, AnswerYes};
        window.command(CommandId::SaveInstrumentAsKit);
        QCOMPARE(app.dialogs.messages.size(), 1);
        QVERIFY(app.dialogs.messages[0].contains(native(target)));
        QCOMPARE(bytesOf(target), QByteArray("vst samples,\r\nthe user's kit,\r\n"));
        window.command(CommandId::SaveInstrumentAsKit);
        QCOMPARE(bytesOf(target), padKitText);

        // A pad named to lead out of the plug-in folder writes inside it.
        kit.pads[0].label = "../../x";
        window.command(CommandId::SaveInstrumentAsKit);
        QVERIFY(QFile::exists(app.plugin + "Rock .. .. x.txt"));
        QVERIFY(!QFile::exists(app.path("x.txt")));
    }
};

} // namespace padsmith::test

QTEST_MAIN(padsmith::test::InstrumentCommandsTest)
#include "InstrumentCommandsTest.moc"
