// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PadPanel.h"

#include "AppFixture.h"
#include "app/AnimationControl.h"
#include "app/Controls.h"
#include "app/EditPath.h"
#include "app/ZoneListPanel.h"
#include "ui/CellTableView.h"
#include "ui/InPlaceEdit.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

namespace padsmith::test {

class PadPanelTest : public QObject {
    Q_OBJECT

private:
    // A kit with zones on pads 0 (KICK), 1 (SNARE), 12 (TOM: two soft zones) and 17 (CRASH),
    // opened in a shown window with pad 0 focused.
    static MainWindow& openDrumKit(AppFixture& app) {
        KitDocument kit;
        kit.kitName = "drums";
        auto add = [&](int pad, const std::string& name, const std::string& sample, int key,
                       int velocityHigh) {
            SampleZone zone;
            zone.padNumber = pad + 1;
            zone.key = key;
            zone.padName = name;
            zone.sampleName = sample;
            zone.velocityHigh = velocityHigh;
            zone.sourcePath = toStd(app.path("library/" + fromStd(sample)));
            AppFixture::touch(app.path("library/" + fromStd(sample)), "RIFF");
            kit.pads[static_cast<std::size_t>(pad)].label = name;
            kit.pads[static_cast<std::size_t>(pad)].append(zone);
        };
        add(0, "KICK", "kick.wav", 36, 127);
        add(1, "SNARE", "snare.wav", 38, 127);
        add(12, "TOM", "tom-soft.wav", 45, 60);
        add(12, "TOM", "tom-mid.wav", 45, 80);
        add(17, "CRASH", "crash.wav", 49, 127);
        const QString file = app.path("drums.txt");
        AppFixture::touch(file, QByteArray::fromStdString(formatKitScript(kit)));

        MainWindow& window = app.open(false);
        window.document().openKitPath(file);
        window.show();
        if (!QTest::qWaitForWindowActive(&window)) {
            qWarning("window not active");
        }
        padPanel(window).selectPad(0, 0);
        return window;
    }
    static void press(QWidget* target, Qt::Key key, bool repeat = false) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, QString(), repeat);
        QApplication::sendEvent(target, &event);
        if (!repeat) {
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
            QApplication::sendEvent(target, &release);
        }
        QCoreApplication::processEvents(); // the command follows the key
    }
    static void waitForAnimationEnd(MainWindow& window) {
        QTRY_VERIFY(!animation(window)->playing());
    }

private slots:
    void arrowsWrapAndHeldKeysDoNotPlay() {
        AppFixture app;
        MainWindow& window = openDrumKit(app);
        waitForAnimationEnd(window);
        auto focused = [&] { return QApplication::focusWidget(); };

        press(focused(), Qt::Key_Left); // from pad 0 to pad 17
        QCOMPARE(window.kit().currentPad, 17);
        QCOMPARE(focused(), padButton(window, 17));
        QVERIFY(animation(window)->playing()); // and it plays
        waitForAnimationEnd(window);
        press(focused(), Qt::Key_Right); // from 17 to 0
        QCOMPARE(window.kit().currentPad, 0);

        padPanel(window).selectPad(4, 0);
        press(focused(), Qt::Key_Up); // the upper row stays
        QCOMPARE(window.kit().currentPad, 4);
        press(focused(), Qt::Key_Down);
        QCOMPARE(window.kit().currentPad, 13);
        press(focused(), Qt::Key_Down); // the lower row stays
        QCOMPARE(window.kit().currentPad, 13);
        press(focused(), Qt::Key_Left);
        QCOMPARE(window.kit().currentPad, 12);

        // Held down: the selection moves with the repeats over pads with zones, nothing plays.
        padPanel(window).selectPad(1, 0);
        waitForAnimationEnd(window);
        press(focused(), Qt::Key_Left, true);
        press(focused(), Qt::Key_Left, true);
        QCOMPARE(window.kit().currentPad, 17);
        QVERIFY(!animation(window)->playing());

        // Space plays the current pad: the soft pad plays its last zone.
        padPanel(window).selectPad(12, 0);
        press(focused(), Qt::Key_Space);
        QVERIFY(animation(window)->playing());
        QCOMPARE(zonePanel(window).currentRow(), 1);
    }

    void clickingPlaysTheZoneThatReachesNinety() {
        AppFixture app;
        MainWindow& window = openDrumKit(app);
        QTest::mouseClick(padButton(window, 12), Qt::LeftButton);
        QCOMPARE(window.kit().currentPad, 12);
        QCOMPARE(zonePanel(window).currentRow(), 1); // no zone reaches 90: the last
        QCOMPARE(zonePanel(window).rowCount(), 2);
        QTest::mouseClick(padButton(window, 5), Qt::LeftButton); // empty: nothing plays
        QCOMPARE(window.kit().currentPad, 5);
        QCOMPARE(zonePanel(window).rowCount(), 0);
    }

    void markerColoursFollowFocusAndPress() {
        AppFixture app;
        MainWindow& window = openDrumKit(app);
        PadButton* kick = padButton(window, 0);
        auto paintedMarker = [](PadButton* button) {
            const QImage picture = button->grab().toImage();
            return QColor(picture.pixel(button->markerRect().center()));
        };
        QCOMPARE(kick->markerColour(), QColor(0, 255, 0));
        QCOMPARE(paintedMarker(kick), QColor(0, 255, 0));
        QVERIFY(!padButton(window, 1)->markerColour().isValid()); // only the current pad

        zoneList(window)->setFocus();
        QCOMPARE(kick->markerColour(), QColor(50, 50, 255));
        QCOMPARE(paintedMarker(kick), QColor(50, 50, 255));
        kick->setFocus();

        const QRect resting = kick->markerRect();
        kick->setDown(true);
        QCOMPARE(kick->markerColour(), QColor(255, 0, 0));
        QCOMPARE(kick->markerRect().top(), resting.top() + 1);
        QCOMPARE(kick->markerRect().height(), resting.height() + 1);
        QCOMPARE(paintedMarker(kick), QColor(255, 0, 0));
        kick->setDown(false);

        padPanel(window).selectPad(5, 0);
        PadButton* empty = padButton(window, 5);
        empty->setDown(true);
        QCOMPARE(empty->markerColour(), QColor(255, 255, 0));
        QCOMPARE(empty->markerRect().height(), resting.height());
        empty->setDown(false);
        QVERIFY(!kick->markerColour().isValid());
    }

    void secondMenuFollowsTheFocus() {
        AppFixture app;
        MainWindow& window = openDrumKit(app);
        QAction* second = window.menuBar()->actions().at(1);
        QCOMPARE(second->text(), QStringLiteral("&Pad"));
        QCOMPARE(action(window, CommandId::Paste)->text(), QStringLiteral("&Paste/Swap\tCtrl+V"));
        zoneList(window)->setFocus();
        QCOMPARE(window.menuBar()->actions().at(1)->text(), QStringLiteral("&Samples"));
        QCOMPARE(window.menuBar()->actions().at(1)->menu(), zoneMenu(window));
        QCOMPARE(action(window, CommandId::Paste)->text(),
                 QStringLiteral("&Paste/Swap/Move\tCtrl+V"));
        padButton(window, 3)->setFocus();
        QCOMPARE(window.menuBar()->actions().at(1)->menu(), padMenu(window));
        QCOMPARE(window.kit().currentPad, 3);
        QCOMPARE(window.menuBar()->actions().size(), 4);
    }

    void rightClickShowsThePadPopupOnThatPad() {
        AppFixture app;
        MainWindow& window = openDrumKit(app);
        QWidget* shown = nullptr;
        QTimer::singleShot(0, [&] {
            shown = QApplication::activePopupWidget();
            if (shown != nullptr) {
                shown->close();
            }
        });
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                                padButton(window, 3)->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(padButton(window, 3), &click);
        QCOMPARE(shown, padMenu(window));
        QCOMPARE(window.kit().currentPad, 3);
        // The window's focus stays on the pad (offscreen, the window is not activated again).
        QCOMPARE(window.focusWidget(), padButton(window, 3));
    }

    void renameBoxRefusesLettersTheCodePageCannotHold() {
        AppFixture app;
        MainWindow& window = openDrumKit(app);
        press(padButton(window, 0), Qt::Key_F2);
        InPlaceEdit* box = padPanel(window).renameBox();
        QVERIFY(box != nullptr);
        box->clear();
        typeText(box, QStringLiteral("KÖCK Ł"));
        QCoreApplication::processEvents();
        QCOMPARE(box->text(), QStringLiteral("KÖCK "));
        QCOMPARE(app.dialogs.messages.size(), 1);
        QVERIFY(app.dialogs.messages.at(0).contains(QStringLiteral("\"Ł\" (U+0141)")));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(padLabel(window, 0)->text(), QStringLiteral("KÖCK "));
    }

    void renameBox() {
        AppFixture app;
        MainWindow& window = openDrumKit(app);
        InPlaceEdit* box = nullptr;
        // The box of the rename just started (each rename makes its own).
#define TAKE_BOX()                                                                                 \
    box = padPanel(window).renameBox();                                                            \
    QVERIFY(box != nullptr)

        press(padButton(window, 0), Qt::Key_F2);
        TAKE_BOX();
        QVERIFY(box->isVisible());
        QCOMPARE(box->text(), QStringLiteral("KICK"));
        QCOMPARE(box->selectedText(), QStringLiteral("KICK"));
        QCOMPARE(QApplication::focusWidget(), box);
        QTest::keyClicks(box, QString(40, 'B'));
        QCOMPARE(box->text().size(), 31);
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(!box->isVisible());
        QCOMPARE(QApplication::focusWidget(), padButton(window, 0));
        QCOMPARE(padLabel(window, 0)->text(), QString(31, 'B'));
        QCOMPARE(window.kit().pads[0].at(0).padName, std::string(31, 'B'));
        // Two long names side by side are cut short, with a gap between their texts.
        const std::string snare = window.kit().pads[1].label;
        window.kit().pads[1].label = std::string(31, 'C');
        padPanel(window).showLabels();
        const int pitch = padButton(window, 1)->x() - padButton(window, 0)->x();
        auto shownWidth = [&](int pad) {
            return padLabel(window, pad)
                ->fontMetrics()
                .horizontalAdvance(padLabel(window, pad)->shownText());
        };
        QVERIFY((shownWidth(0) + shownWidth(1)) / 2 < pitch - 2);
        window.kit().pads[1].label = snare;
        padPanel(window).showLabels();
        QCOMPARE(action(window, CommandId::Undo)->text(),
                 QStringLiteral("Undo Rename Pad\tCtrl+Z"));
        QVERIFY(window.windowTitle().contains('*'));

        // Empty and Enter, Escape, or a click elsewhere: the name stays.
        QTest::mouseClick(padLabel(window, 1), Qt::LeftButton);
        QCOMPARE(window.kit().currentPad, 1);
        TAKE_BOX();
        QCOMPARE(box->parentWidget(), padLabel(window, 1));
        box->clear();
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(padLabel(window, 1)->text(), QStringLiteral("SNARE"));
        press(padButton(window, 1), Qt::Key_F2);
        TAKE_BOX();
        QTest::keyClicks(box, "X");
        QTest::keyClick(box, Qt::Key_Escape);
        QCOMPARE(padLabel(window, 1)->text(), QStringLiteral("SNARE"));
        QCOMPARE(QApplication::focusWidget(), padButton(window, 1));
        press(padButton(window, 1), Qt::Key_F2);
        TAKE_BOX();
        QTest::keyClicks(box, "X");
        copyrightField(window)->setFocus();
        QVERIFY(!box->isVisible());
        QCOMPARE(padLabel(window, 1)->text(), QStringLiteral("SNARE"));
        QCOMPARE(QApplication::focusWidget(), padButton(window, 1));

        // An unnamed pad opens an empty box.
        window.command(CommandId::RenamePad, 7);
        TAKE_BOX();
        QCOMPARE(box->text(), QString());
#undef TAKE_BOX
    }

    void enablingFollowsThePadAndTheClipboard() {
        AppFixture app;
        MainWindow& window = openDrumKit(app);
        auto enabled = [&](CommandId id) { return action(window, id)->isEnabled(); };
        for (CommandId id : {CommandId::Cut, CommandId::Copy, CommandId::Delete}) {
            QVERIFY(enabled(id));
        }
        QVERIFY(!enabled(CommandId::Paste)); // nothing copied

        window.command(CommandId::Copy);
        QVERIFY(!enabled(CommandId::Paste)); // onto itself
        padButton(window, 5)->setFocus();
        QVERIFY(enabled(CommandId::Paste));
        QVERIFY(enabled(CommandId::Rename));
        for (CommandId id : {CommandId::Cut, CommandId::Copy, CommandId::Delete,
                             CommandId::ExportInstrument, CommandId::SaveInstrumentAsKit}) {
            QVERIFY(!enabled(id)); // an empty pad
        }
        // Paste, then undo it with Ctrl+Z.
        QTest::keyClick(padButton(window, 5), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(padLabel(window, 5)->text(), QStringLiteral("KICK"));
        QCOMPARE(zonePanel(window).rowCount(), 1);
        QVERIFY(!enabled(CommandId::Paste)); // the clipboard is empty after a paste
        QCOMPARE(action(window, CommandId::Undo)->text(), QStringLiteral("Undo Paste Pad\tCtrl+Z"));
        QTest::keyClick(padButton(window, 5), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(window.kit().pads[5].empty());
        QCOMPARE(padLabel(window, 5)->text(), QStringLiteral("XXX"));
        QCOMPARE(zonePanel(window).rowCount(), 0);
        QVERIFY(!window.windowTitle().contains('*'));
    }

    void cutPasteAndDeleteKeepFilesUntilTheSave() {
        AppFixture app;
        MainWindow& window = openDrumKit(app);
        app.dialogs.saveAnswers = {app.path("drums.txt")};
        window.command(CommandId::Save); // copies the samples into the kit's own folder
        const QString own = app.plugin + "drums/";
        QVERIFY(QFile::exists(own + "snare.wav"));

        // Cut the kick onto the snare: the snare's sample goes, but only at the save.
        window.command(CommandId::Cut);
        padButton(window, 1)->setFocus();
        window.command(CommandId::Paste);
        QCOMPARE(padLabel(window, 1)->text(), QStringLiteral("KICK"));
        QCOMPARE(padLabel(window, 0)->text(), QStringLiteral("XXX"));
        window.command(CommandId::Delete); // and the kick with it
        QVERIFY(window.kit().pads[1].empty());
        QVERIFY(QFile::exists(own + "snare.wav"));
        QVERIFY(QFile::exists(own + "kick.wav"));

        window.command(CommandId::Undo); // the kick is back on pad 1
        window.command(CommandId::Save);
        QVERIFY(!QFile::exists(own + "snare.wav"));
        QVERIFY(QFile::exists(own + "kick.wav"));
        QVERIFY(QFile::exists(own + "crash.wav"));
    }

    void doubleNoteOnSaveShowsBothZones() {
        AppFixture app;
        MainWindow& window = openDrumKit(app);
        // Give the crash the kick's key: the save refuses and shows the two zones.
        KitEditRecorder recorder(window.kit(), "Edit Key");
        recorder.touch(17).at(0).key = 36;
        window.editPath().apply(recorder.finish());
        app.dialogs.saveAnswers = {app.path("drums.txt")};
        window.command(CommandId::Save);
        QCOMPARE(app.dialogs.messages, QStringList{"Double defined NOTE in your drum set!"});
        QCOMPARE(window.kit().currentPad, 0); // the first zone found, in pad order
        QCOMPARE(QApplication::focusWidget(), zoneList(window));
        QVERIFY(window.windowTitle().contains('*'));
    }
};

} // namespace padsmith::test

QTEST_MAIN(padsmith::test::PadPanelTest)
#include "PadPanelTest.moc"
