// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppFixture.h"
#include "app/AboutDialog.h"
#include "app/AnimationControl.h"
#include "app/AudioOutMenu.h"
#include "app/Controls.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "app/ZoneListPanel.h"
#include "ui/CellTableView.h"

#include <QAction>
#include <QAbstractScrollArea>
#include <QActionGroup>
#include <QCryptographicHash>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QUrlQuery>
#if !defined(_WIN32)
#include <pwd.h>
#include <unistd.h>
#endif

namespace padsmith::test {

class WindowTest : public QObject {
    Q_OBJECT

private:
    static QStringList texts(const QList<QAction*>& items) {
        QStringList result;
        for (QAction* item : items) {
            result.append(item->isSeparator() ? QStringLiteral("-") : item->text());
        }
        return result;
    }

private slots:
    void pluginFolderComesFromSettingsVstPathOrTheUser() {
        AppFixture app;
        app.settings->writeString("ZVDIR", app.plugin);
        QCOMPARE(findPluginFolder(*app.settings, app.dialogs), std::optional(app.plugin));
        QVERIFY(app.dialogs.browsePrompts.isEmpty());

        // First run: the VST folder's "Zarvo" holds the plug-in.
        app.settings->deleteValue("ZVDIR");
        AppFixture::touch(app.path("vst/Zarvo/Zarvo.dll"), "");
        qputenv("VST_PATH", app.path("vst").toUtf8());
        const auto found = findPluginFolder(*app.settings, app.dialogs);
        QCOMPARE(QDir(*found).canonicalPath(), QDir(app.path("vst/Zarvo")).canonicalPath());
        QCOMPARE(app.settings->readString("ZVDIR"), *found);
        QVERIFY(app.dialogs.browsePrompts.isEmpty());

        // No plug-in anywhere: asked until a folder holds it, or cancelled.
        app.settings->deleteValue("ZVDIR");
        qputenv("VST_PATH", app.path("nothing").toUtf8());
        app.dialogs.browseAnswers = {app.path("library"), app.path("Zarvo")};
        QCOMPARE(findPluginFolder(*app.settings, app.dialogs), std::optional(app.plugin));
        QCOMPARE(app.dialogs.browsePrompts.size(), 2);
        QCOMPARE(app.dialogs.browsePrompts.at(0),
                 QStringLiteral("Zarvo not installed or not properly installed!\n"
                                "Please select your Zarvo folder ..."));
        QCOMPARE(app.settings->readString("ZVDIR"), app.plugin);

        QFile::remove(app.plugin + "Zarvo.dll");
        QCOMPARE(findPluginFolder(*app.settings, app.dialogs), std::nullopt);
    }

    void firstRunDefaults() {
        AppFixture app;
        MainWindow& window = app.open();
        QCOMPARE(window.options().outputDevice(), -1);
        QVERIFY(audioOutMenu(window)->actions().value(0)->isChecked());
        QCOMPARE(app.settings->readNumber("WaveOutChk", 0), 1223);
        QVERIFY(!window.options().shareSamples());
        QVERIFY(!action(window, CommandId::ShareSamples)->isChecked());
        QCOMPARE(kitNameField(window)->text(), QStringLiteral("Untitled"));
        // The empty kit names the shared folder until it is saved, as after New.
        QCOMPARE(sampleFolderField(window)->text(), QStringLiteral("ZARVO SAMPLES"));
        QCOMPARE(copyrightField(window)->text(), loginName());
        QVERIFY(window.options().waveEditor().isEmpty());
    }

    void copyrightFallsBackToTheAccountName() {
#if defined(_WIN32)
        QSKIP("the user database is asked on POSIX systems only");
#else
        const QByteArray names[] = {"USER", "USERNAME", "LOGNAME"};
        QList<QByteArray> kept;
        for (const QByteArray& name : names) {
            kept.append(qgetenv(name.constData()));
            qunsetenv(name.constData());
        }
        const passwd* account = getpwuid(getuid());
        QVERIFY(account != nullptr);
        const QString expected = QString::fromLocal8Bit(account->pw_name);
        AppFixture app;
        const QString shown = copyrightField(app.open())->text();
        for (int i = 0; i < 3; ++i) {
            if (!kept.at(i).isNull()) {
                qputenv(names[i].constData(), kept.at(i));
            }
        }
        QVERIFY(!expected.isEmpty());
        QCOMPARE(shown, expected);
#endif
    }

    void menusAndAccelerators() {
        AppFixture app;
        MainWindow& window = app.open();
        QCOMPARE(texts(window.menuBar()->actions()),
                 (QStringList{"&File", "Pad", "Audio Out", "About"}));
        QCOMPARE(texts(fileMenu(window)->actions()),
                 (QStringList{"&New\tCtrl+N", "New Kit from Folder\u2026\tCtrl+Shift+N",
                              "&Open...\tCtrl+O", "&Save\tCtrl+S", "Save &As...", "-",
                              "Import Kit\u2026", "Export Kit\u2026", "-", "Share samples", "-",
                              "Explore VST Zarvo Folder", "Explore Your Zarvo Folder", "-",
                              "Delete Unused Samples from VST Zarvo Folder", "-", "Recent", "-",
                              "E&xit"}));
        QAction* save = action(window, CommandId::Save);
        QVERIFY(save != nullptr);
        QVERIFY(save->shortcuts().contains(QKeySequence("Ctrl+Shift+S")));
        // The desktop's keys for redo, and keys for the commands used most.
        QVERIFY(action(window, CommandId::Redo)->shortcuts().contains(QKeySequence("Ctrl+Y")));
        QVERIFY(
            action(window, CommandId::Redo)->shortcuts().contains(QKeySequence("Ctrl+Shift+Z")));
        QCOMPARE(action(window, CommandId::ImportSamples)->shortcut(), QKeySequence("Ctrl+I"));
        QCOMPARE(action(window, CommandId::NewKitFromFolder)->shortcut(),
                 QKeySequence("Ctrl+Shift+N"));
        QVERIFY(!action(window, CommandId::SpreadVelocities)->shortcut().isEmpty());
        // Every control a user reaches says what it is.
        for (const QWidget* control : window.findChildren<QWidget*>()) {
            if (control->focusPolicy() != Qt::NoFocus && control->isVisibleTo(&window) &&
                qobject_cast<const QAbstractScrollArea*>(control->parentWidget()) == nullptr) {
                QVERIFY2(!control->accessibleName().isEmpty() ||
                             !control->property("text").toString().isEmpty(),
                         qPrintable(control->metaObject()->className() + QString(" ") +
                                    control->objectName()));
            }
        }
    }

    void commandTableIsConsistent() {
        // No key gives two commands, and every menu entry has its row.
        QList<QKeySequence> keys;
        for (const CommandRow& row : commandRows()) {
            for (const QKeySequence& key : row.keys) {
                QVERIFY2(!keys.contains(key), qPrintable(key.toString()));
                keys.append(key);
            }
        }
        for (auto layout : {fileMenuLayout(), padMenuLayout(), zoneMenuLayout()}) {
            for (CommandId id : layout) {
                QVERIFY(id == CommandId::Separator || id == CommandId::RecentFirst ||
                        commandRow(id) != nullptr);
            }
        }
        // The keys without Ctrl or Alt are found for the key filter, the others are shortcuts.
        AppFixture app;
        MainWindow& window = app.open();
        QKeyEvent shiftDelete(QEvent::KeyPress, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(commands(window).plainKeyCommand(shiftDelete), CommandId::Delete);
        QKeyEvent backTab(QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(commands(window).plainKeyCommand(backTab), CommandId::SwitchFocus);
        QKeyEvent ctrlC(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(commands(window).plainKeyCommand(ctrlC), CommandId::None);
        QCOMPARE(action(window, CommandId::Copy)->shortcuts(),
                 QList<QKeySequence>{QKeySequence("Ctrl+C")});
        QVERIFY(action(window, CommandId::Rename)->shortcuts().isEmpty());
    }

    void commandEnablingRules() {
        AppFixture app;
        MainWindow& window = app.open();
        // Cleaning the shared folder follows "Share samples", which is stored at once.
        QVERIFY(!action(window, CommandId::DeleteUnusedSamples)->isEnabled());
        window.command(CommandId::ShareSamples);
        QVERIFY(action(window, CommandId::DeleteUnusedSamples)->isEnabled());
        QCOMPARE(app.settings->readNumber("flShared", -1), 8);
        QCOMPARE(sampleFolderField(window)->text(), QStringLiteral("ZARVO SAMPLES"));
        window.command(CommandId::ShareSamples);
        QCOMPARE(app.settings->readNumber("flShared", -1), 0);
        QVERIFY(!action(window, CommandId::DeleteUnusedSamples)->isEnabled());

        // Revert is offered only when there is a kit to go back to.
        QVERIFY(!commands(window).isEnabled(CommandId::Revert));
        window.document().openKitPath(app.writeKit("kit.txt"));
        window.updateCommandStates();
        QVERIFY(commands(window).isEnabled(CommandId::Revert));
    }

    void audioOutChoices() {
        AppFixture app;
        app.settings->writeNumber("WaveOutChk", 1224 + 500); // a device that is gone
        MainWindow& window = app.open();
        QCOMPARE(window.options().outputDevice(), -1);
        QAction* defaultOutput = audioOutMenu(window)->actions().value(0);
        QVERIFY(!defaultOutput->isChecked());
        defaultOutput->trigger();
        QVERIFY(defaultOutput->isChecked());
        QCOMPARE(app.settings->readNumber("WaveOutChk", 0), 1223);
        if (audioOutMenu(window)->actions().size() > 1) {
            QCOMPARE(audioOutMenu(window)->actions().value(1)->data().toInt(), 1224);
        }

        // The menu is built again each time it opens; its entries stay one radio group.
        audioOutMenu(window)->rebuild();
        audioOutMenu(window)->rebuild();
        QCOMPARE(audioOutMenu(window)->findChildren<QActionGroup*>().size(), 1);
        QVERIFY(audioOutMenu(window)->actions().value(0)->isChecked());

        // A stored value that names another command does not run it.
        app.settings->writeNumber("WaveOutChk", 40017); // once the id of "Share samples"
        MainWindow& reopened = app.open();
        QVERIFY(!reopened.options().shareSamples());
        QCOMPARE(app.settings->readNumber("flShared", -1), -1);
        QCOMPARE(reopened.options().outputDevice(), -1);
    }

    void exploreCommandsAndClicks() {
        AppFixture app;
        MainWindow& window = app.open();
        QTest::mouseClick(sampleFolderField(window), Qt::LeftButton);
        QCOMPARE(app.dialogs.openedFolders, QStringList{app.plugin});
        window.command(CommandId::ExploreKitFolder); // new kit: an empty folder, no message
        QCOMPARE(app.dialogs.openedFolders.value(1), QString());
        window.document().openKitPath(app.writeKit("kits/kit.txt"));
        QTest::mouseClick(kitNameField(window), Qt::LeftButton);
        QCOMPARE(QDir(app.dialogs.openedFolders.value(2)).canonicalPath(),
                 QDir(app.path("kits")).canonicalPath());
        QVERIFY(app.dialogs.messages.isEmpty());

        // The picture and "About" both show the one about window.
        QTest::mouseClick(picture(window), Qt::LeftButton);
        QVERIFY(aboutDialog(window) != nullptr && aboutDialog(window)->isVisible());
        const QPointer<AboutDialog> about = aboutDialog(window);
        window.command(CommandId::About);
        QCOMPARE(aboutDialog(window), about.data());
    }

    void routingFollowsTheFocus() {
        AppFixture app;
        MainWindow& window = app.open();
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.document().openKitPath(app.writeKit("kit.txt"));
        padPanel(window).selectPad(0, 0);

        zoneList(window)->setFocus();
        QCOMPARE(window.menuBar()->actions().at(1)->text(), QStringLiteral("&Samples"));
        window.command(CommandId::Copy); // the zone list's rows
        QVERIFY(zoneCommands(window).hasRememberedRows());
        QVERIFY(!padPanel(window).clipboard().canPaste(1));
        QTest::keyClick(zoneList(window), Qt::Key_Tab); // to the current pad
        QCOMPARE(QApplication::focusWidget(), padButton(window, 0));
        QCOMPARE(window.menuBar()->actions().at(1)->text(), QStringLiteral("&Pad"));
        window.command(CommandId::Copy); // the pad's copy now, not the zone list's
        QVERIFY(padPanel(window).clipboard().canPaste(1));

        // Tab held down: the repeats do not move the focus back and forth.
        QTest::keyClick(padButton(window, 0), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), zoneList(window));
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, "\t", true);
        QApplication::sendEvent(zoneList(window), &repeat);
        QCOMPARE(QApplication::focusWidget(), zoneList(window));
    }

    void copyrightRefusesCommasAndSurvivesNew() {
        AppFixture app;
        MainWindow& window = app.open();
        copyrightField(window)->clear();
        QTest::keyClicks(copyrightField(window), "Me, 2024");
        QCOMPARE(copyrightField(window)->text(), QStringLiteral("Me 2024"));

        // New and a kit that cannot be read leave the typed text; a kit read replaces it.
        window.command(CommandId::New);
        QCOMPARE(copyrightField(window)->text(), QStringLiteral("Me 2024"));
        AppFixture::touch(app.path("notes.txt"), "not a kit\n");
        window.document().openKitPath(app.path("notes.txt"));
        QCOMPARE(copyrightField(window)->text(), QStringLiteral("Me 2024"));
        window.document().openKitPath(app.writeKit("kit.txt"));
        QCOMPARE(copyrightField(window)->text(), QString());
    }

    void copyrightRefusesWhatTheCodePageCannotHoldAndNamesIt() {
        AppFixture app;
        MainWindow& window = app.open();
        copyrightField(window)->clear();
        typeText(copyrightField(window), QStringLiteral("Müller"));
        typeText(copyrightField(window), QStringLiteral("ŁŁ"));
        QCoreApplication::processEvents();
        QCOMPARE(copyrightField(window)->text(), QStringLiteral("Müller"));
        // Told once, with the character named.
        QCOMPARE(app.dialogs.messages.size(), 1);
        QVERIFY(app.dialogs.messages.at(0).contains(QStringLiteral("\"Ł\" (U+0141)")));
        QVERIFY(app.dialogs.messages.at(0).contains(QStringLiteral("Windows-1252")));

        // A text shown from a kit is not typed: nothing is said about it.
        copyrightField(window)->setText(QStringLiteral("Łukasz"));
        QCoreApplication::processEvents();
        QCOMPARE(app.dialogs.messages.size(), 1);

        window.options().setCodePage(*CodePage::byName("Windows-1250"));
        copyrightField(window)->clear();
        typeText(copyrightField(window), QStringLiteral("Łódź"));
        QCOMPARE(copyrightField(window)->text(), QStringLiteral("Łódź"));
        QCOMPARE(app.settings->readString("CodePage"), QStringLiteral("Windows-1250"));
    }

    void deletingUnusedSamplesKeepsUsedOnes() {
        AppFixture app;
        MainWindow& window = app.open();
        window.command(CommandId::ShareSamples);
        app.dialogs.saveAnswers = {app.path("kit.txt")};
        window.document().openKitPath(app.writeKit("kit.txt"));
        window.command(CommandId::SaveAs); // copies kick.wav into the shared folder
        AppFixture::touch(app.plugin + "ZARVO SAMPLES/unused.wav", "RIFF");
        window.command(CommandId::DeleteUnusedSamples);
        QVERIFY(QFile::exists(app.plugin + "ZARVO SAMPLES/kick.wav"));
        QVERIFY(!QFile::exists(app.plugin + "ZARVO SAMPLES/unused.wav"));
        QCOMPARE(zoneList(window)->backgroundColour(), ZoneListPanel::kBackground);
        QVERIFY(!busyCursorShown());
    }

    void messageBoxGuardAndEmptyText() {
        AppFixture app;
        int inner = -2;
        app.dialogs.onMessage = [&] {
            app.dialogs.onMessage = nullptr;
            inner = messageOk("from inside the box");
        };
        app.dialogs.messageAnswers = {AnswerOk};
        QCOMPARE(messageOk("100% sure"), static_cast<int>(AnswerOk));
        QCOMPARE(inner, 0);
        QCOMPARE(app.dialogs.messages, QStringList{"100% sure"});
        QCOMPARE(app.dialogs.captions, QStringList{"Padsmith"});
        QCOMPARE(messageOk(QString()), -1);
        QCOMPARE(app.dialogs.messages.last(), QStringLiteral("??? ERROR ???"));
    }

    void titleDetailReplacesTheOldOne() {
        QWidget window;
        window.setWindowTitle("A - [x]");
        setTitleDetail(&window, "y");
        QCOMPARE(window.windowTitle(), QStringLiteral("A - [y]"));
        setTitleDetail(&window, QString());
        QCOMPARE(window.windowTitle(), QStringLiteral("A"));
        setTitleDetail(nullptr, "z"); // nothing to change, nothing breaks
    }

    void secondInstanceRaisesTheFirst() {
        const QString key =
            QDir::temp().filePath("padsmith-test-%1.ini").arg(QCoreApplication::applicationPid());
        // A request left for an editor that has ended is not taken for this one.
        const QString requests =
            QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
                .filePath(QStringLiteral("padsmith-%1.requests")
                              .arg(QString::fromLatin1(
                                  QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1)
                                      .toHex()
                                      .left(16))));
        AppFixture::touch(QDir(requests).filePath("0000000000000001-1.request"), "raise");
        SingleInstanceGuard first(key);
        QVERIFY(first.claim());
        QSignalSpy raised(&first, &SingleInstanceGuard::raiseRequested);
        QTest::qWait(100);
        QCOMPARE(raised.size(), 0);
        SingleInstanceGuard second(key);
        QVERIFY(!second.claim());
        QVERIFY(raised.wait(2000));
        SingleInstanceGuard other(key + "-other"); // another settings store: its own editor
        QVERIFY(other.claim());

        // A later start with a kit hands it over, whatever characters its path holds. The
        // receiver runs events while it opens the kit, in which the connection closes.
        QSignalSpy opened(&first, &SingleInstanceGuard::openRequested);
        connect(&first, &SingleInstanceGuard::openRequested, this, [] { QTest::qWait(100); });
        const QString kit = QStringLiteral("/kits/a kit %20 \u00fcber\nzwei.txt");
        SingleInstanceGuard withKit(key);
        QVERIFY(withKit.otherInstanceRunning());
        QVERIFY(!first.otherInstanceRunning());
        QVERIFY(!withKit.claim(kit));
        QTRY_COMPARE(opened.size(), 1);
        QCOMPARE(opened.at(0).at(0).toString(), kit);
        QCOMPARE(raised.size(), 2);

        // Without a temporary folder to lock in, the editor still starts.
        QTemporaryDir scratch;
        const QString notAFolder = scratch.filePath("file");
        AppFixture::touch(notAFolder, "");
        const QByteArray tmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", notAFolder.toUtf8());
        SingleInstanceGuard unguarded(key + "-nowhere");
        const bool claimed = unguarded.claim();
        tmp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", tmp);
        QVERIFY(claimed);
    }

    void kitHandedOverOpensLikeADrop() {
        AppFixture app;
        MainWindow& window = app.open();
        const QString open = app.writeKit("open.txt", "OPEN");
        const QString other = app.writeKit("other kit.txt", "OTHER");
        window.document().openKitPath(open);
        window.document().updateTitle(true);

        // The modified kit is asked about first; Cancel keeps it.
        app.dialogs.messageAnswers = {AnswerCancel};
        openKitFromOutside(window, other);
        QCOMPARE(app.dialogs.messages.last(), QStringLiteral("Save changes to open.txt?"));
        QCOMPARE(window.document().currentPath(), open);

        // While the editor is busy the kit waits; afterwards it is asked about and opened.
        const qsizetype asked = app.dialogs.messages.size();
        app.dialogs.messageAnswers = {AnswerNo};
        setBusyCursor(true);
        openKitFromOutside(window, other);
        QTest::qWait(300);
        QCOMPARE(app.dialogs.messages.size(), asked);
        setBusyCursor(false);
        QTRY_COMPARE(window.document().currentPath(), other);
        QCOMPARE(app.dialogs.messages.size(), asked + 1);
        QCOMPARE(padLabel(window, 0)->text(), QStringLiteral("OTHER"));
        QCOMPARE(window.document().recentFiles().at(0), other);
    }

    void aboutWindowMailsFeedbackAndLinksLicences() {
        AppFixture app;
        MainWindow& window = app.open();
        window.command(CommandId::About);
        AboutDialog* about = aboutDialog(window);
        QVERIFY(about != nullptr);

        about->feedbackButton()->click();
        QCOMPARE(app.dialogs.openedUrls.size(), 1);
        const QUrl mail = app.dialogs.openedUrls.first();
        QCOMPARE(mail.scheme(), QStringLiteral("mailto"));
        QVERIFY(mail.path().contains('@'));
        const QString subject =
            QUrlQuery(mail).queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded);
        QVERIFY2(QRegularExpression(QStringLiteral("^Padsmith \\d+\\.\\d+\\.\\d+$"))
                     .match(subject)
                     .hasMatch(),
                 qPrintable(subject));
        QVERIFY(about->text()->text().contains(subject)); // the version the window shows

        // Each library named links to its licence, through the desktop services.
        const QRegularExpression link(QStringLiteral("href=\"([^\"]+)\""));
        QStringList links;
        for (const auto& match : link.globalMatch(about->text()->text())) {
            links.append(match.captured(1));
        }
        // The program's own licence first, then one per library, and the page for problem
        // reports only when the build names one.
        const qsizetype bugLinks = AboutDialog::defaultBugUrl().isEmpty() ? 0 : 1;
        QCOMPARE(links.size(), 5 + bugLinks);
        QVERIFY(links.contains(QStringLiteral("https://www.gnu.org/licenses/gpl-3.0.html")));
        QVERIFY(about->text()->text().contains(QStringLiteral("version 3 or later")));
        for (const QString& href : links) {
            emit about->text()->linkActivated(href);
            QCOMPARE(app.dialogs.openedUrls.last(), QUrl(href));
            QCOMPARE(QUrl(href).scheme(), QStringLiteral("https"));
        }

        AboutDialog withTracker(&window, QStringLiteral("https://example.org/padsmith/issues?new"));
        QVERIFY(withTracker.text()->text().contains(QStringLiteral(
            "<a href=\"https://example.org/padsmith/issues?new\">Report a problem")));
        AboutDialog withoutTracker(&window, QString());
        QVERIFY(!withoutTracker.text()->text().contains(QStringLiteral("Report a problem")));
    }

    void animationPlaysOnceToItsLastFrame() {
        QWidget parent;
        AnimationControl animation(&parent);
        animation.play();
        QCOMPARE(animation.frame(), 0);
        QTRY_VERIFY(!animation.playing());
        QCOMPARE(animation.frame(), AnimationControl::kFrameCount - 1);
    }
};

} // namespace padsmith::test

QTEST_MAIN(padsmith::test::WindowTest)
#include "WindowTest.moc"
