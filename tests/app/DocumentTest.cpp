// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppFixture.h"
#include "app/Controls.h"
#include "app/RecentFileList.h"
#include "platform/Files.h"

#include <QAction>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QSettings>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUrl>

namespace padsmith::test {

class DocumentTest : public QObject {
    Q_OBJECT

private:
    static QStringList recentTexts(MainWindow& window) {
        QStringList texts;
        for (QAction* item : fileMenu(window)->actions()) {
            const CommandId id = commandId(item);
            if (id >= CommandId::RecentFirst && id <= CommandId::RecentLast) {
                texts.append(item->text());
            }
        }
        return texts;
    }
    static QString iniValue(AppFixture& app, const QString& name) {
        app.settings->sync();
        return QSettings(app.path("settings.ini"), QSettings::IniFormat).value(name).toString();
    }

private slots:
    void titleShowsUntitledThenTheShortenedPathAndTheMark() {
        AppFixture app;
        MainWindow& window = app.open();
        QCOMPARE(window.windowTitle(), QStringLiteral("Padsmith - [Untitled]"));

        const QString kit = app.writeKit("a/b/c/kit.txt");
        window.document().openKitPath(kit);
        // The root stays, then "...", then the last two folders and the name.
        const QString shown = "/.../b/c/kit.txt";
        QCOMPARE(window.windowTitle(), "Padsmith - [" + shown + "]");
        QCOMPARE(window.document().documentName(), QStringLiteral("kit.txt"));
        QCOMPARE(padLabel(window, 0)->text(), QStringLiteral("KICK"));

        window.document().updateTitle(true);
        QCOMPARE(window.windowTitle(), "Padsmith - [* " + shown + "]");
        window.command(CommandId::New); // asks: Cancel keeps everything
        QCOMPARE(window.document().currentPath(), kit);
        app.dialogs.messageAnswers = {AnswerNo};
        window.command(CommandId::New);
        QCOMPARE(window.windowTitle(), QStringLiteral("Padsmith - [Untitled]"));
        QCOMPARE(padLabel(window, 0)->text(), QStringLiteral("XXX"));
    }

    void lastKitReopensUnlessShiftOrUntitled() {
        AppFixture app;
        const QString kit = app.writeKit("kits/Rock.txt", "SNARE");
        app.settings->writeString("FILE1", kit);
        app.settings->writeString("Name", "Rock.txt");
        QCOMPARE(app.open().document().currentPath(), kit);
        QCOMPARE(padLabel(*app.window, 0)->text(), QStringLiteral("SNARE"));

        QCOMPARE(app.open(false).document().currentPath(), QString()); // SHIFT held
        QCOMPARE(app.window->windowTitle(), QStringLiteral("Padsmith - [Untitled]"));

        app.settings->writeString("Name", "Untitled"); // no named kit open at the last close
        QCOMPARE(app.open().document().currentPath(), QString());
    }

    void recentListKeepsSixteenDistinctPaths() {
        RecentFileList list;
        for (int i = 1; i <= 17; ++i) {
            list.putFront(QString("/k/%1.txt").arg(i));
        }
        QCOMPARE(list.count(), 16);
        QCOMPARE(list.at(0), QStringLiteral("/k/17.txt"));
        QCOMPARE(list.at(15), QStringLiteral("/k/2.txt")); // the first one fell off

        list.putFront("/k/10.txt"); // listed: moves up, no duplicate
        QCOMPARE(list.at(0), QStringLiteral("/k/10.txt"));
        QCOMPARE(list.at(1), QStringLiteral("/k/17.txt"));
        QCOMPARE(list.count(), 16);

        const QString last = list.at(15); // slot 15 is not searched: written anew at the front
        list.putFront(last);
        QCOMPARE(list.at(0), last);
        QCOMPARE(list.count(), 16);
        for (int k = 1; k < 16; ++k) {
            QVERIFY(list.at(k) != last);
        }
        list.remove(0);
        QCOMPARE(list.count(), 15);
        QCOMPARE(list.at(0), QStringLiteral("/k/10.txt"));

        // Full again: the 15th entry moves up, and the 16th stays.
        list.putFront("/k/new.txt");
        QCOMPARE(list.count(), 16);
        const QString fifteenth = list.at(14);
        const QString sixteenth = list.at(15);
        list.putFront(fifteenth);
        QCOMPARE(list.at(0), fifteenth);
        QCOMPARE(list.at(15), sixteenth);
        for (int k = 1; k < 16; ++k) {
            QVERIFY(list.at(k) != fifteenth);
        }
    }

    void recentListLoadsUpToAGapAndStoresWithoutOne() {
        AppFixture app;
        for (int n : {1, 2, 3, 5}) {
            app.settings->writeString(QString("FILE%1").arg(n), QString("/k/%1.txt").arg(n));
        }
        RecentFileList list;
        list.load(*app.settings);
        QCOMPARE(list.count(), 3);
        list.store(*app.settings);
        QVERIFY(!app.settings->valueExists("FILE5"));
        QCOMPARE(app.settings->readString("FILE3"), QStringLiteral("/k/3.txt"));
    }

    void recentMenuEntries() {
        AppFixture app;
        MainWindow& window = app.open();
        QAction* placeholder = action(window, CommandId::RecentFirst);
        QCOMPARE(placeholder->text(), QStringLiteral("Recent"));
        QVERIFY(!placeholder->isEnabled());

        for (int i = 1; i <= 16; ++i) {
            window.document().openKitPath(app.writeKit(QString("k%1.txt").arg(i)));
        }
        const QStringList texts = recentTexts(window);
        QCOMPARE(texts.size(), 16);
        QCOMPARE(texts.at(0), "&1 " + app.path("k16.txt"));
        QCOMPARE(texts.at(8), "&9 " + app.path("k8.txt"));
        QCOMPARE(texts.at(9), app.path("k7.txt")); // bare paths from the tenth on
        QCOMPARE(texts.at(15), app.path("k1.txt"));
        // The list stands between its separators, above "Exit".
        const QList<QAction*> items = fileMenu(window)->actions();
        QCOMPARE(commandId(items.at(items.size() - 3)), CommandId::RecentFirst + 15);

        // An "&" in a path is shown, not taken as an access key.
        const QString rock = app.writeKit("Rock & Roll.txt");
        window.document().openKitPath(rock);
        QCOMPARE(action(window, CommandId::RecentFirst)->iconText(), "1 " + rock);
    }

    void recentEntryWithControlIsRemovedAndMissingFileIsReported() {
        AppFixture app;
        MainWindow& window = app.open();
        const QString first = app.writeKit("first.txt");
        const QString second = app.writeKit("second.txt");
        window.document().openKitPath(first);
        window.document().openKitPath(second);

        app.dialogs.modifiers = Qt::ControlModifier;
        window.command(CommandId::RecentFirst + 1);
        QCOMPARE(window.document().currentPath(), second);
        QCOMPARE(recentTexts(window), QStringList{"&1 " + second});

        app.dialogs.modifiers = Qt::NoModifier;
        QFile::remove(second);
        window.command(CommandId::RecentFirst);
        QCOMPARE(app.dialogs.messages.value(0), "File " + second + " not found!");
        QCOMPARE(recentTexts(window), QStringList{"Recent"});
    }

    void recentEntryAsksForOtherKitsOnlyAndOpensTheChosenOne() {
        AppFixture app;
        MainWindow& window = app.open();
        const QString chosen = app.writeKit("chosen.txt", "CHOSEN");
        window.document().openKitPath(chosen);
        window.command(CommandId::New);
        window.document().updateTitle(true); // unsaved changes to an untitled kit

        // Yes, then the save dialog: the saved kit goes to the front, yet the chosen opens.
        app.dialogs.messageAnswers = {AnswerYes};
        app.dialogs.saveAnswers = {app.path("saved.txt")};
        window.command(CommandId::RecentFirst);
        QVERIFY(QFile::exists(app.path("saved.txt")));
        QCOMPARE(window.document().currentPath(), chosen);
        QCOMPARE(padLabel(window, 0)->text(), QStringLiteral("CHOSEN"));

        // The open kit's own entry reloads it, and asks first when that loses changes.
        window.kit().pads[0].at(0).key = 50;
        window.document().updateTitle(true);
        app.dialogs.messageAnswers = {AnswerCancel};
        window.command(CommandId::RecentFirst);
        QCOMPARE(app.dialogs.messages.last(), QStringLiteral("Discard changes to chosen.txt?"));
        QCOMPARE(window.kit().pads[0].at(0).key, 50);
        QVERIFY(window.kit().modified());
        app.dialogs.messageAnswers = {AnswerOk};
        window.command(CommandId::RecentFirst);
        QCOMPARE(window.kit().pads[0].at(0).key, 36);
        QVERIFY(!window.kit().modified());
        const qsizetype asked = app.dialogs.messages.size();
        window.command(CommandId::RecentFirst); // nothing to lose: no question
        QCOMPARE(app.dialogs.messages.size(), asked);
    }

    void closeWithCancelNoAndYes() {
        AppFixture app;
        MainWindow& window = app.open();
        window.show();
        window.document().openKitPath(app.writeKit("kit.txt"));
        window.command(CommandId::New);
        window.document().updateTitle(true);

        app.dialogs.messageAnswers = {AnswerCancel};
        QVERIFY(!window.close());
        QVERIFY(iniValue(app, "Name").isEmpty());

        app.dialogs.messageAnswers = {AnswerYes}; // and the save dialog is cancelled
        QVERIFY(!window.close());
        QCOMPARE(app.dialogs.saveFolders.size(), 1);
        QVERIFY(window.kit().modified());

        app.dialogs.messageAnswers = {AnswerNo};
        QVERIFY(window.close());
        QCOMPARE(iniValue(app, "Name"), QStringLiteral("Untitled"));
        QCOMPARE(iniValue(app, "FILE1"), app.path("kit.txt"));
    }

    void closeWithYesSavesFirst() {
        AppFixture app;
        MainWindow& window = app.open();
        window.show();
        const QString kit = app.writeKit("kit.txt");
        window.document().openKitPath(kit);
        window.document().updateTitle(true);
        QFile::remove(kit);
        app.dialogs.messageAnswers = {AnswerYes};
        QVERIFY(window.close());
        QVERIFY(QFile::exists(kit));
        QVERIFY(QFile::exists(app.plugin + "kit.txt")); // installed beside the plug-in
        QCOMPARE(iniValue(app, "Name"), QStringLiteral("kit.txt"));
    }

    void kitChangedOnDiskAsksToReloadOrKeepAndSaveNeverDropsItSilently() {
        AppFixture app;
        MainWindow& window = app.open();
        const QString kit = app.writeKit("kits/Rock.txt", "KICK");
        window.document().openKitPath(kit);
        const auto changedElsewhere = [&](const std::string& padName) {
            // Written through a temporary file and renamed over it, as many editors do.
            const QByteArray bytes = bytesOf(app.writeKit("elsewhere/Rock.txt", padName));
            app.touch(kit + ".tmp", bytes);
            QFile::remove(kit);
            QFile::rename(kit + ".tmp", kit);
        };
        const auto asked = [&] {
            return !app.dialogs.messages.isEmpty() &&
                   app.dialogs.messages.last().contains("changed by another program");
        };

        app.dialogs.messageAnswers = {AnswerYes};
        changedElsewhere("SNARE");
        QTRY_COMPARE(padLabel(window, 0)->text(), QStringLiteral("SNARE")); // reloaded
        QVERIFY(asked());
        QVERIFY(!window.windowTitle().contains("* "));

        app.dialogs.messages.clear();
        app.dialogs.messageAnswers = {AnswerNo};
        changedElsewhere("HAT");
        QTRY_VERIFY(asked());
        QCOMPARE(padLabel(window, 0)->text(), QStringLiteral("SNARE")); // kept
        QVERIFY(window.windowTitle().contains("* "));
        window.command(CommandId::Save); // the user chose: no second question
        QVERIFY(bytesOf(kit).contains("SNARE"));

        // A change the save meets before the watch has told: it asks, and No writes nothing.
        app.dialogs.messages.clear();
        changedElsewhere("RIDE");
        app.dialogs.messageAnswers = {AnswerNo};
        window.command(CommandId::Save);
        QVERIFY(asked());
        QVERIFY(bytesOf(kit).contains("RIDE"));
        QTest::qWait(50); // the watch's own notice comes and finds the question answered
    }

    void longSaveShowsTheFileCountAndEndsWithTheReport() {
        AppFixture app;
        MainWindow& window = app.open();
        window.show();
        KitDocument kit;
        kit.kitName = "Big";
        for (int i = 0; i < 24; ++i) {
            SampleZone zone;
            zone.key = 36 + i;
            zone.padName = "BIG";
            zone.sampleName = "s" + std::to_string(i) + ".wav";
            zone.sourcePath = toStd(app.path(QStringLiteral("library/s%1.wav").arg(i)));
            app.touch(QString::fromStdString(zone.sourcePath), "RIFF");
            kit.pads[static_cast<std::size_t>(i % kPadCount)].append(zone);
        }
        const QString file = app.path("kits/Big.txt");
        app.touch(file, QByteArray::fromStdString(formatKitScript(kit)));
        window.document().openKitPath(file);

        // Every file takes a while, as on a slow disk.
        setFileFaultHook(
            [](FileStep step, const std::filesystem::path&, const std::filesystem::path&) {
                if (step == FileStep::Copy) {
                    QThread::msleep(40);
                }
                return std::error_code();
            });
        QStringList labels;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&labels] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* progress = qobject_cast<QProgressDialog*>(widget);
                    progress != nullptr && progress->isVisible()) {
                    labels.append(progress->labelText());
                }
            }
        });
        watch.start(20);
        window.document().updateTitle(true);
        window.command(CommandId::Save);
        watch.stop();
        setFileFaultHook({});
        QVERIFY(!labels.isEmpty()); // shown: the save took well over half a second
        QVERIFY(labels.last().contains(QRegularExpression("Big.txt: file \\d+ of \\d+")));
        QVERIFY(QFile::exists(app.plugin + "Big/s23.wav"));
        QVERIFY(!window.windowTitle().contains("* "));
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            QVERIFY(qobject_cast<QProgressDialog*>(widget) == nullptr || !widget->isVisible());
        }

        // A save that fails says which file and why, and leaves the installed kit alone.
        const QByteArray installed = bytesOf(app.plugin + "Big.txt");
        setFileFaultHook(
            [](FileStep step, const std::filesystem::path&, const std::filesystem::path& target) {
                return step == FileStep::Copy && target.filename() == "s5.wav"
                           ? std::make_error_code(std::errc::no_space_on_device)
                           : std::error_code();
            });
        window.kit().pads[5].at(0).sampleName = "s5.wav";
        window.kit().pads[5].at(0).sourcePath = toStd(app.path("library/s5.wav"));
        QFile::remove(app.plugin + "Big/s5.wav");
        app.dialogs.messages.clear();
        window.document().updateTitle(true);
        window.command(CommandId::Save);
        setFileFaultHook({});
        QVERIFY(!app.dialogs.messages.isEmpty());
        QVERIFY(app.dialogs.messages.last().contains("Big/s5.wav"));
        QVERIFY(app.dialogs.messages.last().contains("no space left on the device"));
        QCOMPARE(bytesOf(app.plugin + "Big.txt"), installed);
        QVERIFY(window.windowTitle().contains("* "));
    }

    void dropOpensTheFirstFileOnly() {
        AppFixture app;
        MainWindow& window = app.open();
        const QString first = app.writeKit("first.txt", "FIRST");
        const QString second = app.writeKit("second.txt", "SECOND");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        // Straight to the window, as the desktop hands it a drop.
        static_cast<QObject&>(window).event(&drop);
        QCOMPARE(window.document().currentPath(), first);
        QCOMPARE(padLabel(window, 0)->text(), QStringLiteral("FIRST"));
        QCOMPARE(window.document().recentFiles().count(), 1);
    }

    void dropOnAModifiedKitAsksFirst() {
        AppFixture app;
        MainWindow& window = app.open();
        const QString open = app.writeKit("open.txt", "OPEN");
        const QString dropped = app.writeKit("dropped.txt", "DROPPED");
        window.document().openKitPath(open);
        window.document().updateTitle(true);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(dropped)});
        auto drop = [&] {
            QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                             Qt::NoModifier);
            static_cast<QObject&>(window).event(&event);
        };

        app.dialogs.messageAnswers = {AnswerCancel};
        drop();
        QCOMPARE(app.dialogs.messages.last(), QStringLiteral("Save changes to open.txt?"));
        QCOMPARE(window.document().currentPath(), open);
        QVERIFY(window.kit().modified());

        // A kit handed over while the question is already open cannot be asked about: it
        // must not replace the modified kit unasked.
        app.dialogs.messageAnswers = {AnswerCancel};
        bool handedOver = false;
        app.dialogs.onMessage = [&] {
            if (!handedOver) {
                handedOver = true;
                window.document().dropFiles({dropped});
            }
        };
        drop();
        app.dialogs.onMessage = nullptr;
        QVERIFY(handedOver);
        QCOMPARE(app.dialogs.messages.size(), 2); // the inner question was never shown
        QCOMPARE(window.document().currentPath(), open);
        QVERIFY(window.kit().modified());

        app.dialogs.messageAnswers = {AnswerNo};
        drop();
        QCOMPARE(window.document().currentPath(), dropped);
        QCOMPARE(padLabel(window, 0)->text(), QStringLiteral("DROPPED"));
    }

    void saveAsksForAPathForUntitledAndFailedOpenKeepsTheKitsPath() {
        AppFixture app;
        MainWindow& window = app.open();
        const QString kit = app.writeKit("Untitled"); // a kit really named so
        window.document().openKitPath(kit);
        window.command(CommandId::Save); // always asks; cancelled
        QCOMPARE(app.dialogs.saveFolders.size(), 1);

        const QString notAKit = app.path("notes.txt");
        AppFixture::touch(notAKit, "shopping list\n");
        app.dialogs.openAnswers = {notAKit};
        window.command(CommandId::Open);
        QCOMPARE(window.document().currentPath(), kit);
        QCOMPARE(app.settings->readString(Document::kKitFilter.description), app.dir.path());
    }

    void failedReadByPathOrRecentEntryLeavesTheOtherFileAlone() {
        AppFixture app;
        MainWindow& window = app.open();
        const QString kit = app.writeKit("kit.txt");
        const QString notAKit = app.path("notes.txt");
        AppFixture::touch(notAKit, "shopping list\n");
        window.document().openKitPath(notAKit); // a file never read does not join the list
        QCOMPARE(window.document().recentFiles().count(), 0);
        app.writeKit("notes.txt"); // a kit for a while, so that it is listed
        window.document().openKitPath(notAKit);
        AppFixture::touch(notAKit, "shopping list\n");
        window.document().openKitPath(kit);
        window.document().updateTitle(true); // unsaved changes

        window.document().openKitPath(notAKit); // as a drop does
        QCOMPARE(window.document().recentFiles().at(0), kit);
        QCOMPARE(window.document().currentPath(), kit);
        QVERIFY(window.windowTitle().startsWith("Padsmith - [* "));
        QVERIFY(window.windowTitle().endsWith("/kit.txt]"));
        QCOMPARE(padLabel(window, 0)->text(), QStringLiteral("KICK"));
        window.command(CommandId::Save);
        QCOMPARE(bytesOf(notAKit), QByteArray("shopping list\n"));
        QVERIFY(!window.kit().modified());

        // The same through the recent list: slot 1 is the unreadable file.
        QCOMPARE(window.document().recentFiles().at(1), notAKit);
        window.command(CommandId::RecentFirst + 1);
        QCOMPARE(window.document().currentPath(), kit);
        QCOMPARE(window.document().recentFiles().at(0), kit); // Revert finds the open kit
        QVERIFY(window.windowTitle().startsWith("Padsmith - [/"));
        QVERIFY(window.windowTitle().endsWith("/kit.txt]"));
        window.command(CommandId::Save);
        QCOMPARE(bytesOf(notAKit), QByteArray("shopping list\n"));
    }

    void kitReadInPartIsNotOverwrittenWithoutAsking() {
        AppFixture app;
        MainWindow& window = app.open();
        AppFixture::touch(app.path("library/kick.wav"), "RIFF");
        const QByteArray text =
            "vst samples,\r\nPart,\r\nZARVO SAMPLES,\r\nMe,\r\n\r\n"
            " 1,  0, 0, 36,KICK,kick.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\r\n"
            " 2,  0, 0,1000,SN,snare.wav,  1,127, 38, 38, 1.00, 1.00,  0,  0,\r\n"
            " 3,  0, 0, 42,HH,hat.wav,  1,127, 42, 42, 1.00, 1.00,  0,  0,\r\n-1\r\n\r\n"
            " 1," +
            app.path("library/kick.wav").toUtf8() +
            ",\r\n 2,/s.wav,\r\n 3,/h.wav,\r\n-1\r\n\r\nPadsmith by Mervane";
        const QString kit = app.path("part.txt");
        AppFixture::touch(kit, text);
        window.document().openKitPath(kit);
        QVERIFY(app.dialogs.messages.last().contains(
            "Only 1 of 3 zone lines could be read: line 7 \" 2,  0, 0,1000,SN"));
        QCOMPARE(padLabel(window, 0)->text(), QStringLiteral("KICK"));
        QVERIFY(!window.kit().modified());

        app.dialogs.messageAnswers = {AnswerNo};
        window.command(CommandId::Save);
        QCOMPARE(app.dialogs.messages.last(),
                 QStringLiteral("This kit was read only in part. Overwrite part.txt?"));
        QCOMPARE(bytesOf(kit), text);
        QVERIFY(!QFile::exists(app.plugin + "part.txt"));

        // Closing with changes: Yes saves, the save asks again, No keeps the window open.
        window.show();
        window.document().updateTitle(true);
        app.dialogs.messageAnswers = {AnswerYes, AnswerNo};
        QVERIFY(!window.close());
        QCOMPARE(bytesOf(kit), text);

        // Save As is always allowed, and what it wrote is whole.
        app.dialogs.saveAnswers = {app.path("whole.txt")};
        window.command(CommandId::SaveAs);
        QVERIFY(QFile::exists(app.path("whole.txt")));
        const qsizetype asked = app.dialogs.messages.size();
        window.command(CommandId::Save);
        QCOMPARE(app.dialogs.messages.size(), asked);

        // Yes writes over the file read in part.
        window.document().openKitPath(kit);
        app.dialogs.messageAnswers = {AnswerYes};
        window.command(CommandId::Save);
        QVERIFY(bytesOf(kit) != text);
        QVERIFY(QFile::exists(app.plugin + "part.txt"));
    }

    void commandsAndInputDuringAReadAreDropped() {
        AppFixture app;
        MainWindow& window = app.open();
        window.show();
        const QString other = app.writeKit("other.txt", "OTHER");
        window.document().openKitPath(other);
        const QString kit = app.writeKit("kit.txt");
        QFile::remove(app.path("library/kick.wav")); // missing: the read searches for it
        padButton(window, 2)->setFocus();
        const int current = window.kit().currentPad;

        // A window of the read's own, as its folder question or message would be.
        QLineEdit dialog;
        dialog.show();
        bool ran = false;
        QTimer::singleShot(0, &window, [&] {
            ran = true;
            window.command(CommandId::Open);
            window.command(CommandId::New);
            window.command(CommandId::RecentFirst);
            // As the window system hands them over.
            QTest::keyClick(window.windowHandle(), Qt::Key_O, Qt::ControlModifier);
            const QWidget* pad = padButton(window, 5);
            QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                              pad->mapTo(&window, pad->rect().center()));
            QTest::keyClicks(&dialog, "answer");
        });
        app.dialogs.openAnswers = {kit};
        window.command(CommandId::Open);

        QVERIFY(ran);
        QCOMPARE(app.dialogs.openFolders.size(), 1); // only the Open that ran
        QCOMPARE(app.dialogs.browsePrompts.size(), 1);
        QCOMPARE(window.document().currentPath(), kit);
        QCOMPARE(window.kit().pads[0].size(), std::size_t{1});
        QCOMPARE(window.kit().currentPad, current);
        QCOMPARE(dialog.text(), QStringLiteral("answer"));
        QVERIFY(!window.kit().modified());

        // Afterwards commands run again.
        window.command(CommandId::New);
        QCOMPARE(window.document().currentPath(), QString());
    }

    void typingTheCopyrightMarksTheKitModified() {
        AppFixture app;
        MainWindow& window = app.open();
        window.show();
        const QString kit = app.writeKit("kit.txt");
        window.document().openKitPath(kit);
        QLineEdit* field = copyrightField(window);
        QTest::keyClicks(field, "Me");
        QVERIFY(window.kit().modified());
        QVERIFY(window.windowTitle().startsWith("Padsmith - [* "));
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClick(field, Qt::Key_Backspace);
        QVERIFY(!window.kit().modified()); // typed back as it was read
        QVERIFY(!window.windowTitle().startsWith("Padsmith - [* "));

        QTest::keyClicks(field, "Me");
        app.dialogs.messageAnswers = {AnswerCancel};
        QVERIFY(!window.close());
        QCOMPARE(app.dialogs.messages.last(), QStringLiteral("Save changes to kit.txt?"));
        app.dialogs.messageAnswers = {AnswerYes};
        QVERIFY(window.close());
        QVERIFY(bytesOf(kit).contains("\r\nMe,\r\n"));
    }

    void kitsAreReadAndSavedInTheCodePageOfTheSettings() {
        AppFixture app;
        app.settings->writeString("CodePage", "Windows-1251");
        MainWindow& window = app.open(false);
        QVERIFY(app.dialogs.messages.isEmpty());
        // A Cyrillic kit from Windows: "Барабан" in Windows-1251.
        const QString kit = app.path("drums.txt");
        const QByteArray bytes =
            "vst samples,\r\ndrums,\r\nZARVO SAMPLES,\r\n\xC0\xED\xFF,\r\n\r\n"
            " 1,  0, 0, 36,\xC1\xE0\xF0\xE0\xE1\xE0\xED,kick.wav,  1,127, 36, "
            "36, 1.00, 1.00,  0,  0,\r\n-1\r\n\r\n-1\r\n\r\nPadsmith by Mervane";
        AppFixture::touch(kit, bytes);
        window.document().openKitPath(kit);
        QCOMPARE(padLabel(window, 0)->text(), QStringLiteral("Барабан"));
        QCOMPARE(copyrightField(window)->text(), QStringLiteral("Аня"));
        window.command(CommandId::Save);
        QVERIFY(bytesOf(kit).contains("\xC0\xED\xFF,\r\n"));
        QVERIFY(bytesOf(kit).contains(",\xC1\xE0\xF0\xE0\xE1\xE0\xED,kick.wav,"));
    }

    void anUnknownCodePageIsToldAndWindows1252Used() {
        AppFixture app;
        app.settings->writeString("CodePage", "Klingon");
        MainWindow& window = app.open(false);
        QCOMPARE(app.dialogs.messages.size(), 1);
        QVERIFY(app.dialogs.messages.at(0).contains("\"Klingon\""));
        QCOMPARE(window.options().codePage(), CodePage());
    }
};

} // namespace padsmith::test

QTEST_MAIN(padsmith::test::DocumentTest)
#include "DocumentTest.moc"
