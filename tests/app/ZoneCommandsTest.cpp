// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ZoneCommands.h"

#include "AppFixture.h"
#include "app/Controls.h"
#include "app/EditorOptions.h"
#include "app/PadPanel.h"
#include "app/SampleDialog.h"
#include "app/ZoneListPanel.h"
#include "ui/CellTableView.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QTest>

namespace padsmith::test {

class ZoneCommandsTest : public QObject {
    Q_OBJECT

private:
    // A window on a kit "Rock" whose pad 0 plays the samples `names` from the folder "lib",
    // on keys 40, 41, ...; the zone list has the focus.
    static MainWindow& openKit(AppFixture& app, const QStringList& names) {
        KitDocument kit;
        kit.kitName = "Rock";
        kit.sampleFolder = "Rock";
        kit.pads[0].label = "DRUM";
        for (int i = 0; i < names.size(); ++i) {
            SampleZone zone;
            zone.key = 40 + i;
            zone.padName = "DRUM";
            zone.sampleName = toStd(names[i]);
            zone.sourcePath = toStd(app.path("lib/" + names[i]));
            AppFixture::touch(app.path("lib/" + names[i]), names[i].toUtf8());
            kit.pads[0].append(zone);
        }
        const QString file = app.path("Rock.txt");
        AppFixture::touch(file, QByteArray::fromStdString(formatKitScript(kit)));
        MainWindow& window = app.open(false);
        window.document().openKitPath(file);
        focusZones(window);
        return window;
    }
    static void focusZones(MainWindow& window) {
        window.show();
        if (!QTest::qWaitForWindowActive(&window)) {
            qWarning("window not active");
        }
        zoneList(window)->setFocus();
    }
    static void selectRows(MainWindow& window, const QList<int>& rows) {
        zonePanel(window).selectRow(rows.first());
        for (int row : rows) {
            zoneList(window)->selectionModel()->select(zoneList(window)->model()->index(row, 0),
                                                       QItemSelectionModel::Select |
                                                           QItemSelectionModel::Rows);
        }
    }
    static QStringList sampleNames(const Pad& pad) {
        QStringList names;
        for (const SampleZone& zone : pad) {
            names.append(fromStd(zone.sampleName));
        }
        return names;
    }
    static bool exists(const QString& file) { return QFileInfo::exists(file); }

private slots:
    void importIntoAnEmptyPadKeepsTheFileAsItIs() {
        AppFixture app;
        MainWindow& window = app.open(false);
        focusZones(window);
        const QString chosen = app.path("lib/kick_01 (soft).wav");
        AppFixture::touch(chosen, "not audio");
        AppFixture::touch(app.path("lib/other.wav"), "not audio");
        app.dialogs.sampleCursor = {chosen, chosen, app.path("lib/other.wav")};
        app.dialogs.sampleAnswers = {{chosen}};

        window.command(CommandId::ImportSamples);
        QCOMPARE(app.dialogs.sampleTitles, QStringList{"Select sample ..."});
        QCOMPARE(app.dialogs.sampleFilters, QStringList{"Audio file (*.wav,*.aif)"});
        // The cursor on a file shows its format; the same file twice is not played again.
        QCOMPARE(app.dialogs.panelTexts.size(), 3);
        QVERIFY(app.dialogs.panelTexts[0].startsWith("File Format:"));
        QVERIFY(app.dialogs.panelTexts[1].isNull());
        QVERIFY(!app.dialogs.panelTexts[2].isNull());

        const Pad& pad = window.kit().pads[0];
        QCOMPARE(sampleNames(pad), QStringList{"kick_01 (soft).wav"});
        QCOMPARE(pad.at(0).key, 36); // a kick: the folder import's key for it
        QCOMPARE(fromStd(pad.at(0).sourcePath), QDir::toNativeSeparators(chosen));
        QCOMPARE(padLabel(window, 0)->text(), QStringLiteral("Kick"));
        QVERIFY(exists(chosen));
        QVERIFY(window.windowTitle().contains('*'));
        QVERIFY(app.dialogs.messages.isEmpty());

        window.command(CommandId::Undo);
        QVERIFY(pad.empty());
        QCOMPARE(padLabel(window, 0)->text(), QStringLiteral("XXX"));
        window.command(CommandId::Redo);
        QCOMPARE(pad.size(), 1U);
        QVERIFY(exists(chosen));

        // The next dialog opens on the current zone's sample; cancelling changes nothing.
        zonePanel(window).selectRow(0);
        window.command(CommandId::ImportSamples);
        QCOMPARE(app.dialogs.sampleStarts.last(), QDir::toNativeSeparators(chosen));
        QCOMPARE(pad.size(), 1U);
    }

    void importReplacesTheCurrentRowAndNamesFilesTheKitCannotHold() {
        AppFixture app;
        MainWindow& window = openKit(app, {"a.wav", "b.wav"});
        AppFixture::touch(app.path("new/x_1.wav"), "x");
        AppFixture::touch(app.path("new/a.wav"), "another sample named a.wav");
        app.dialogs.sampleAnswers = {{app.path("new/x_1.wav"), app.path("new/a.wav")}};
        zonePanel(window).selectRow(1);
        window.command(CommandId::ImportSamples);
        const Pad& pad = window.kit().pads[0];
        QCOMPARE(sampleNames(pad), (QStringList{"a.wav", "x_1.wav"}));
        QCOMPARE(pad.at(1).key, 41);
        QCOMPARE(app.dialogs.messages.size(), 1);
        QVERIFY(app.dialogs.messages[0].contains(QStringLiteral("a.wav")));
    }

    void renameChangesTheKitAndTheSaveRenamesTheCopy() {
        AppFixture app;
        MainWindow& window = openKit(app, {"kick.wav", "snare.wav"});
        AppFixture::touch(app.plugin + "Rock/kick.wav", "copy");
        const Pad& pad = window.kit().pads[0];

        zoneCommands(window).renameSample(0, "snare.wav");
        QCOMPARE(app.dialogs.messages.size(), 1); // another sample's name
        QVERIFY(!action(window, CommandId::Undo)->isEnabled());
        zoneCommands(window).renameSample(0, "a,b.wav");
        QCOMPARE(app.dialogs.messages.size(), 2);
        zoneCommands(window).renameSample(0, QStringLiteral("Łódź.wav"));
        QCOMPARE(app.dialogs.messages.size(), 3);
        QVERIFY(app.dialogs.messages.last().contains(QStringLiteral("\"Ł\" (U+0141)")));
        QCOMPARE(sampleNames(pad), (QStringList{"kick.wav", "snare.wav"}));

        zoneCommands(window).renameSample(0, "boom.wav");
        QCOMPARE(sampleNames(pad), (QStringList{"boom.wav", "snare.wav"}));
        QVERIFY(window.windowTitle().contains('*'));
        // Nothing on disk changes before the save.
        QVERIFY(exists(app.path("lib/kick.wav")) && !exists(app.path("lib/boom.wav")));
        QCOMPARE(bytesOf(app.plugin + "Rock/kick.wav"), QByteArray("copy"));
        QVERIFY(!exists(app.plugin + "Rock/boom.wav"));
        window.command(CommandId::Undo);
        QCOMPARE(sampleNames(pad), (QStringList{"kick.wav", "snare.wav"}));
    }

    void copyAndPasteMoveRowsKeepingTheirSpacing() {
        AppFixture app;
        MainWindow& window = openKit(app, {"0.wav", "1.wav", "2.wav", "3.wav"});
        const Pad& pad = window.kit().pads[0];
        selectRows(window, {0, 1});
        window.command(CommandId::Copy);
        zonePanel(window).selectRow(3);
        window.command(CommandId::Paste); // past the end: nothing moves
        QCOMPARE(sampleNames(pad), (QStringList{"0.wav", "1.wav", "2.wav", "3.wav"}));

        selectRows(window, {0, 1});
        window.command(CommandId::Copy);
        zonePanel(window).selectRow(2);
        window.command(CommandId::Paste);
        QCOMPARE(sampleNames(pad), (QStringList{"2.wav", "3.wav", "0.wav", "1.wav"}));
        QCOMPARE(zoneList(window)->selectionModel()->selectedRows().size(), 2);
        window.command(CommandId::Undo);
        QCOMPARE(sampleNames(pad), (QStringList{"0.wav", "1.wav", "2.wav", "3.wav"}));
    }

    void keysAndEnablingFollowTheCurrentRow() {
        AppFixture app;
        MainWindow& window = openKit(app, {"0.wav", "1.wav", "2.wav"});
        padPanel(window).selectPad(3, 0); // no zones, so no current row
        zoneList(window)->setFocus();
        for (CommandId id : {CommandId::Copy, CommandId::Delete, CommandId::EditSample,
                             CommandId::Paste, CommandId::Cut}) {
            QVERIFY(!action(window, id)->isEnabled());
        }
        QVERIFY(action(window, CommandId::ImportSamples)->isEnabled());
        QVERIFY(action(window, CommandId::SelectWaveEditor)->isEnabled());

        padPanel(window).selectPad(0, 0);
        zoneList(window)->setFocus();
        zonePanel(window).selectRow(0);
        QVERIFY(action(window, CommandId::Copy)->isEnabled());
        QVERIFY(action(window, CommandId::Delete)->isEnabled());
        QVERIFY(!action(window, CommandId::Paste)->isEnabled());
        QTest::keyClick(zoneList(window), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(action(window, CommandId::Paste)->isEnabled());
        zonePanel(window).selectRow(2);
        QTest::keyClick(zoneList(window), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(sampleNames(window.kit().pads[0]), (QStringList{"1.wav", "2.wav", "0.wav"}));
        QVERIFY(!action(window, CommandId::Paste)->isEnabled()); // the rows are forgotten

        // A pad taking the focus forgets remembered rows too.
        QTest::keyClick(zoneList(window), Qt::Key_C, Qt::ControlModifier);
        padButton(window, 0)->setFocus();
        zoneList(window)->setFocus();
        zonePanel(window).selectRow(0);
        QVERIFY(!action(window, CommandId::Paste)->isEnabled());

        QTest::keyClick(zoneList(window), Qt::Key_Delete); // the command follows the key
        QTRY_COMPARE(sampleNames(window.kit().pads[0]), (QStringList{"2.wav", "0.wav"}));
        QTest::keyClick(zoneList(window), Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(app.dialogs.openFolders, QStringList{ZoneCommands::programFolder()});
    }

    void aRowDropMovesAndACommittedSampleNameRenames() {
        AppFixture app;
        MainWindow& window = openKit(app, {"0.wav", "1.wav", "2.wav"});
        // A drop always moves, Control held or not.
        emit zonePanel(window).rowsDropped({0}, 2, true);
        QCOMPARE(sampleNames(window.kit().pads[0]), (QStringList{"1.wav", "2.wav", "0.wav"}));
        emit zonePanel(window).sampleNameCommitted(2, QStringLiteral("zero.wav"));
        QCOMPARE(sampleNames(window.kit().pads[0]), (QStringList{"1.wav", "2.wav", "zero.wav"}));
        QVERIFY(exists(app.path("lib/0.wav"))); // the source keeps its name
        window.command(CommandId::Undo);
        window.command(CommandId::Undo);
        QCOMPARE(sampleNames(window.kit().pads[0]), (QStringList{"0.wav", "1.wav", "2.wav"}));
        QVERIFY(exists(app.path("lib/0.wav")));
    }

    void deleteKeepsFilesUnlessShiftIsAnsweredYes() {
        AppFixture app;
        MainWindow& window = openKit(app, {"a.wav", "b.wav", "c.wav", "d.wav"});
        window.kit().pads[5].append(window.kit().pads[0].at(3)); // d.wav is played twice
        AppFixture::touch(app.plugin + "Rock/a.wav", "copy");
        const Pad& pad = window.kit().pads[0];

        // Delete: the zone goes, every file stays until the save.
        zonePanel(window).selectRow(0);
        window.command(CommandId::Delete);
        QCOMPARE(sampleNames(pad), (QStringList{"b.wav", "c.wav", "d.wav"}));
        QCOMPARE(zonePanel(window).currentRow(), 0);
        QVERIFY(exists(app.path("lib/a.wav")) && exists(app.plugin + "Rock/a.wav"));
        window.command(CommandId::Undo);
        QCOMPARE(pad.size(), 4U);
        zonePanel(window).selectRow(0);
        window.command(CommandId::Delete);

        // Shift+Delete answered No: zones go, files stay.
        app.dialogs.modifiers = Qt::ShiftModifier;
        app.dialogs.messageAnswers = {AnswerNo};
        zonePanel(window).selectRow(2); // the last row: the one above becomes current
        window.command(CommandId::Delete);
        QCOMPARE(app.dialogs.messages.last(), QStringLiteral("Delete files from disk?"));
        QCOMPARE(sampleNames(pad), (QStringList{"b.wav", "c.wav"}));
        QCOMPARE(zonePanel(window).currentRow(), 1);
        QVERIFY(exists(app.path("lib/d.wav")));
        window.command(CommandId::Undo);

        // Yes: the files go to the trash, except one that pad 6 still plays; undo brings them
        // back.
        app.dialogs.messageAnswers = {AnswerYes};
        selectRows(window, {1, 2});
        window.command(CommandId::Delete);
        QCOMPARE(sampleNames(pad), QStringList{"b.wav"});
        QVERIFY(!exists(app.path("lib/c.wav")));
        QVERIFY(exists(app.path("data/Trash/files/c.wav")));
        QVERIFY(exists(app.path("lib/d.wav")));
        QVERIFY(app.dialogs.messages.last().startsWith("1 file(s) not deleted"));
        window.command(CommandId::Undo);
        QVERIFY(exists(app.path("lib/c.wav")));
        QVERIFY(!exists(app.path("data/Trash/files/c.wav")));
        window.command(CommandId::Redo);
        QVERIFY(!exists(app.path("lib/c.wav")));

        // The save takes the copy of the deleted zone out of the kit's own folder.
        app.dialogs.modifiers = Qt::NoModifier;
        window.command(CommandId::Save);
        QVERIFY(!exists(app.plugin + "Rock/a.wav"));
        QVERIFY(exists(app.plugin + "Rock/b.wav"));
    }

    void deleteWithSharedSamplesLeavesTheSharedCopies() {
        AppFixture app;
        MainWindow& window = openKit(app, {"a.wav", "b.wav"});
        window.command(CommandId::ShareSamples);
        QVERIFY(window.options().shareSamples());
        window.command(CommandId::Save);
        QVERIFY(exists(app.plugin + "ZARVO SAMPLES/a.wav"));
        zoneList(window)->setFocus();
        zonePanel(window).selectRow(0);
        window.command(CommandId::Delete);
        window.command(CommandId::Save);
        QVERIFY(exists(app.plugin + "ZARVO SAMPLES/a.wav"));
        QVERIFY(exists(app.path("lib/a.wav")));
    }

    void sampleDialogListsAudioFilesInAnyCaseAndShowsTheirFormat() {
        QTemporaryDir dir;
        for (const char* name : {"a.WAV", "b.aiff", "c.Aif", "d.txt", "e.wav.txt"}) {
            AppFixture::touch(QDir(dir.path()).filePath(name), "x");
        }
        QStringList previewed;
        SampleDialog dialog(nullptr, QStringLiteral("Select sample ..."), dir.path(),
                            ZoneCommands::sampleFilter(), [&](const QString& path) {
                                previewed.append(QFileInfo(path).fileName());
                                return QStringLiteral("File Format: test");
                            });
        QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
        QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFiles);
        QVERIFY(dialog.nameFilters().constFirst().startsWith("Audio file (*.wav,*.aif) ("));
        dialog.show();
        auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
        QVERIFY(list != nullptr);
        auto shown = [list] {
            QStringList names;
            const QModelIndex root = list->rootIndex();
            for (int row = 0; row < list->model()->rowCount(root); ++row) {
                names.append(list->model()->index(row, 0, root).data().toString());
            }
            names.sort();
            return names;
        };
        QTRY_COMPARE(shown(), (QStringList{"a.WAV", "b.aiff", "c.Aif"}));
        QCOMPARE(dialog.formatPanel()->text(), QStringLiteral("File Format:"));
        // The cursor moves onto a file, as with a click or an arrow key.
        const QModelIndex root = list->rootIndex();
        for (int row = 0; row < list->model()->rowCount(root); ++row) {
            const QModelIndex index = list->model()->index(row, 0, root);
            if (index.data().toString() == "b.aiff") {
                list->setCurrentIndex(index);
            }
        }
        QTRY_COMPARE(previewed, QStringList{"b.aiff"});
        QCOMPARE(dialog.formatPanel()->text(), QStringLiteral("File Format: test"));
        dialog.close();
    }

    void waveEditorStartsWithThePathAsOneArgument() {
#if defined(Q_OS_WIN)
        QSKIP("the recording editor is a shell script");
#endif
        AppFixture app;
        MainWindow& window = openKit(app, {"my kick.wav"});
        AppFixture::touch(app.plugin + "Rock/my kick.wav", "old copy");
        const QString record = app.path("arguments.txt");
        const QString editor = app.path("bin/recorder");
        AppFixture::touch(editor, QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '%1'\n")
                                      .arg(record)
                                      .toUtf8());
        QFile::setPermissions(editor, QFile::permissions(editor) | QFileDevice::ExeOwner);

        // No editor yet: the choice comes first; cancelling it ends the command.
        zonePanel(window).selectRow(0);
        window.command(CommandId::EditSample);
        QCOMPARE(app.dialogs.openFolders, QStringList{ZoneCommands::programFolder()});
        QVERIFY(window.options().waveEditor().isEmpty());

        // A missing program leads to the choice again; then the chosen one starts.
        app.dialogs.openAnswers = {app.path("bin/gone"), editor};
        window.command(CommandId::EditSample);
        QCOMPARE(app.dialogs.openFolders.size(), 3);
        QCOMPARE(window.options().waveEditor(), QDir::toNativeSeparators(editor));
        QCOMPARE(app.settings->readString("WaveEditor"), QDir::toNativeSeparators(editor));
        QTRY_VERIFY_WITH_TIMEOUT(bytesOf(record).endsWith(".wav\n"), 20000);
        QCOMPARE(bytesOf(record),
                 "1\n" + QDir::toNativeSeparators(app.path("lib/my kick.wav")).toUtf8() + "\n");
        // The kit's copy stays until the save replaces it; till then the kit is modified.
        QCOMPARE(bytesOf(app.plugin + "Rock/my kick.wav"), QByteArray("old copy"));
        QVERIFY(window.windowTitle().contains('*'));
        window.command(CommandId::Save);
        QCOMPARE(bytesOf(app.plugin + "Rock/my kick.wav"), QByteArray("my kick.wav"));
        QVERIFY(!window.windowTitle().contains('*'));
    }
};

} // namespace padsmith::test

QTEST_MAIN(padsmith::test::ZoneCommandsTest)
#include "ZoneCommandsTest.moc"
