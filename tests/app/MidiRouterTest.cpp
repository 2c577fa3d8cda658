// SPDX-License-Identifier: GPL-3.0-or-later
// The window's answer to a MIDI keyboard, with note-ons delivered the way the input's callback
// hands them over: queued for the window's thread.
#include "app/MidiRouter.h"

#include "AppFixture.h"
#include "TimedKit.h"
#include "app/AboutDialog.h"
#include "app/AnimationControl.h"
#include "app/Controls.h"
#include "app/EditPath.h"
#include "app/PadPanel.h"
#include "app/ZoneListPanel.h"
#include "audio/MidiInput.h"
#include "audio/Preview.h"
#include "audio/SampleFiles.h"
#include "ui/CellTableView.h"
#include "ui/InPlaceEdit.h"

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

using namespace padsmith;
using namespace padsmith::test;

namespace {

// A kit whose samples are real WAVE files, each of its own length, so the preview's info text
// tells which one played: pad 1 plays note 36 soft, pad 2 note 36 loud; pad 3 answers note 38
// at every velocity; pad 4 holds three zones for key entry; pad 6 plays note 50 loud.
struct MidiWorld {
    MidiWorld() {
        window = &openTimedKit(app, input,
                               {{0, "soft.wav", 36, 1, 64, 100},
                                {1, "loud.wav", 36, 65, 127, 200},
                                {2, "rim.wav", 38, 1, 0, 300},
                                {3, "a.wav", 60, 1, 50, 400},
                                {3, "b.wav", 61, 90, 127, 500},
                                {3, "c.wav", 62, 1, 50, 600},
                                {5, "crash.wav", 50, 100, 127, 700}});
        copyrightField(*window)->setFocus();
        QTRY_VERIFY(!animation(*window)->playing());
    }

    // Plays a note as the MIDI callback does and lets the window take it.
    void play(unsigned char status, unsigned char note, unsigned char velocity) {
        input.deliver({status, note, velocity});
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    QString played() const { return window->sound().infoText(); }
    int selectedRowOf(int pad) const {
        return window->kit().currentPad == pad ? zonePanel(*window).currentRow() : -1;
    }
    void selectRows(const QList<int>& rows) {
        CellTableView* list = zoneList(*window);
        list->setFocus();
        list->selectOnlyRow(rows.first(), 1, false);
        for (int row : rows) {
            list->selectionModel()->select(list->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    AppFixture app;
    MidiInput input; // never opened: the test is the keyboard
    MainWindow* window = nullptr;
};

} // namespace

class MidiRouterTest : public QObject {
    Q_OBJECT
private slots:
    void noteTriggersAndSelectsTheZoneItPlays() {
        MidiWorld world;
        MainWindow& window = *world.window;
        world.play(0x99, 36, 100); // any channel
        QCOMPARE(window.kit().currentPad, 1);
        QVERIFY(padButton(window, 1)->hasFocus());
        QCOMPARE(world.selectedRowOf(1), 0);
        QVERIFY(world.played().contains("200ms"));
        QVERIFY(animation(window)->playing());

        world.play(0x90, 36, 64);
        QCOMPARE(window.kit().currentPad, 0);
        QVERIFY(world.played().contains("100ms"));
        // Upper bound 0: every velocity.
        world.play(0x90, 38, 3);
        QCOMPARE(window.kit().currentPad, 2);
        QVERIFY(world.played().contains("300ms"));
        // A note no zone plays flashes and changes nothing.
        world.play(0x90, 37, 100);
        QCOMPARE(window.kit().currentPad, 2);
        QVERIFY(world.played().contains("300ms"));
    }

    // A note the sound system played on its way in (the window was in front, the focus outside
    // the zone list) makes its zone current and flashes, but is not played a second time.
    void aNoteThatSoundsAlreadyOnlySelectsItsZone() {
        MidiWorld world;
        MainWindow& window = *world.window;
        int handed = 0;
        world.input.setNoteHandler([&handed](int /*note*/, int /*velocity*/) {
            ++handed;
            return true;
        });
        world.play(0x90, 36, 100);
        QCOMPARE(handed, 1);
        QCOMPARE(window.kit().currentPad, 1);
        QCOMPARE(world.selectedRowOf(1), 0);
        QVERIFY(animation(window)->playing());
        QVERIFY2(world.played().isEmpty(), qPrintable(world.played()));
        // A release and a controller never reach the handler.
        world.play(0x90, 36, 0);
        world.play(0xB0, 36, 100);
        QCOMPARE(handed, 1);
    }

    void velocityZeroAndOtherMessagesDoNothing() {
        MidiWorld world;
        MainWindow& window = *world.window;
        // A key's release as most keyboards send it, a note-off, a controller.
        world.play(0x90, 36, 0);
        world.play(0x80, 36, 100);
        world.play(0xB0, 36, 100);
        QVERIFY(!animation(window)->playing());
        QCOMPARE(window.kit().currentPad, 0);
        QVERIFY(world.played().isEmpty());
    }

    void keyEntryGivesEverySelectedZoneTheNoteAsOneStep() {
        MidiWorld world;
        MainWindow& window = *world.window;
        padPanel(window).selectPad(3, 0);
        world.selectRows({0, 2});
        world.play(0x90, 70, 100);
        const Pad& pad = window.kit().pads[3];
        QCOMPARE(pad.at(0).key, 70);
        QCOMPARE(pad.at(1).key, 61);
        QCOMPARE(pad.at(2).key, 70);
        QVERIFY(window.kit().modified());
        QVERIFY(zoneList(window)->hasFocus());
        // The current row plays (row 0 is current, the cursor having stayed there).
        QVERIFY(world.played().contains("400ms"));
        QVERIFY(world.app.dialogs.messages.isEmpty());
        window.editPath().undo();
        QCOMPARE(window.kit().pads[3].at(0).key, 60);
        QCOMPARE(window.kit().pads[3].at(2).key, 62);
        QVERIFY(!window.kit().modified());
    }

    void keyEntryStopsAtADoubleNoteAndPlaysNothing() {
        MidiWorld world;
        MainWindow& window = *world.window;
        padPanel(window).selectPad(3, 0);
        world.selectRows({0, 1, 2});
        // Pad 6 plays note 50 from velocity 100: zone b (90 to 127) would clash.
        world.play(0x90, 50, 100);
        const Pad& pad = window.kit().pads[3];
        QCOMPARE(pad.at(0).key, 50);
        QCOMPARE(pad.at(1).key, 61);
        QCOMPARE(pad.at(2).key, 62);
        QCOMPARE(world.app.dialogs.messages, QStringList{"Double defined NOTE in your drum set!"});
        QVERIFY(world.played().isEmpty());
        QCOMPARE(window.kit().currentPad, 3);
        QVERIFY(zoneList(window)->hasFocus());
        window.editPath().undo();
        QCOMPARE(window.kit().pads[3].at(0).key, 60);
    }

    void renameBoxAnotherWindowAndBusyStateHoldNotesBack() {
        MidiWorld world;
        MainWindow& window = *world.window;
        // The pad's rename box: the flash only.
        padPanel(window).rename(4);
        QTRY_VERIFY(padPanel(window).renameBox() != nullptr &&
                    padPanel(window).renameBox()->hasFocus());
        world.play(0x90, 36, 100);
        QVERIFY(animation(window)->playing());
        QCOMPARE(window.kit().currentPad, 4);
        QVERIFY(world.played().isEmpty());
        QTest::keyClick(padPanel(window).renameBox(), Qt::Key_Escape);
        copyrightField(window)->setFocus();
        QTRY_VERIFY(!animation(window)->playing());

        // Another window in front: the flash only.
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        world.play(0x90, 36, 100);
        QVERIFY(animation(window)->playing());
        QCOMPARE(window.kit().currentPad, 4);
        QVERIFY(world.played().isEmpty());
        other.close();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        copyrightField(window)->setFocus();
        QTRY_VERIFY(!animation(window)->playing());

        // A long operation runs: not even the flash.
        setBusyCursor(true);
        world.play(0x90, 36, 100);
        setBusyCursor(false);
        QVERIFY(!animation(window)->playing());
        QCOMPARE(window.kit().currentPad, 4);
        // And afterwards the keyboard plays again.
        world.play(0x90, 36, 100);
        QCOMPARE(window.kit().currentPad, 1);
    }

    void cellEditorDoesNotHoldTheTriggerBack() {
        MidiWorld world;
        MainWindow& window = *world.window;
        padPanel(window).selectPad(3, 0);
        zoneList(window)->setFocus();
        zoneList(window)->setCurrentCell(0, 1);
        zoneList(window)->beginEdit();
        QTRY_VERIFY(zoneList(window)->cellEditor() != nullptr &&
                    zoneList(window)->cellEditor()->hasFocus());
        world.play(0x90, 50, 120);
        QCOMPARE(window.kit().currentPad, 5);
        QVERIFY(padButton(window, 5)->hasFocus());
        QVERIFY(world.played().contains("700ms"));
        QCOMPARE(window.kit().pads[3].at(0).key, 60); // no key was typed or entered
    }

    void notesArrivingWhileOneIsHandledKeepTheirOrder() {
        MidiWorld world;
        MainWindow& window = *world.window;
        // Both queued before the window gets to them; selecting the first pad lets events run.
        world.input.deliver({0x90, 36, 100});
        world.input.deliver({0x90, 38, 100});
        QSignalSpy handled(&midiRouter(window), &MidiRouter::noteHandled);
        QTRY_COMPARE(handled.count(), 2);
        QCOMPARE(handled.at(0).at(0).toInt(), 36);
        QCOMPARE(handled.at(1).at(0).toInt(), 38);
        QCOMPARE(window.kit().currentPad, 2);
        QVERIFY(world.played().contains("300ms"));
    }

    void aPacketIsSplitIntoItsMessages() {
        const std::vector<std::pair<std::vector<unsigned char>, std::vector<std::uint32_t>>> cases =
            {
                // Two note-ons at once, whole or with running status.
                {{0x90, 36, 100, 0x99, 38, 90}, {0x642490, 0x5A2699}},
                {{0x90, 36, 100, 38, 90}, {0x642490, 0x5A2690}},
                // A program change has one data byte; clock bytes may stand anywhere.
                {{0xC0, 5, 0xF8, 0x90, 40, 1}, {0x05C0, 0x012890}},
                // System exclusive is passed over; running status ends with it.
                {{0xF0, 1, 2, 3, 0xF7, 0x80, 36, 0}, {0x002480}},
                {{0x90, 36, 100, 0xF0, 1, 0xF7, 38, 90}, {0x642490}},
                // Data without a status, and a message cut short, carry nothing.
                {{36, 100}, {}},
                {{0x90, 36}, {}},
                {{0x90, 36, 0x90, 38, 5}, {0x052690}},
                {{}, {}},
            };
        for (const auto& [packet, expected] : cases) {
            QCOMPARE(shortMidiMessages(packet), expected);
        }
        MidiWorld world;
        QSignalSpy handled(&midiRouter(*world.window), &MidiRouter::noteHandled);
        world.input.deliver({0x90, 36, 100, 38, 100});
        QTRY_COMPARE(handled.count(), 2);
        QCOMPARE(handled.at(1).at(0).toInt(), 38);
    }

    void theMidiSystemIsNamedInAnyLetterCase() {
        const QByteArray saved = qgetenv(MidiInput::kApiVariable);
        qputenv(MidiInput::kApiVariable, " JACK ");
        QCOMPARE(MidiInput::preferredSystem(QStringLiteral("alsa")), std::string("jack"));
        qunsetenv(MidiInput::kApiVariable);
        QCOMPARE(MidiInput::preferredSystem(QStringLiteral("Alsa")), std::string("alsa"));
        QVERIFY(MidiInput::isKnownSystem("JACK"));
        QVERIFY(!MidiInput::isKnownSystem("jak"));
        QVERIFY(!MidiInput::isKnownSystem(""));
        QVERIFY(MidiInput::knownSystemsText().find("jack") != std::string::npos);
        if (!saved.isEmpty()) {
            qputenv(MidiInput::kApiVariable, saved);
        }
    }

    // Through a real JACK server and sound server: a virtual keyboard port appears after the
    // editor has started, its note-ons reach the window, and the preview goes out to the sink.
    void keyboardOnJackPlaysThroughTheSoundServer() {
        if (qEnvironmentVariableIsEmpty("PADSMITH_TEST_JACK") ||
            qEnvironmentVariableIsEmpty("PADSMITH_TEST_SINK")) {
            QSKIP("no JACK or PulseAudio test server: run under scripts/with-services.sh");
        }
        qputenv(MidiInput::kApiVariable, "jack");
        MidiWorld world;
        MainWindow& window = *world.window;
        MidiInput jack;
        QVERIFY(jack.open(MidiInput::preferredSystem(QString())));
        QCOMPARE(jack.systemName(), QStringLiteral("Jack"));
        jack.setRescanInterval(200);
        connectKeyboard(window, jack);

        QProcess keyboard;
        keyboard.start(QStringLiteral(PADSMITH_MIDI_SEND), {"editor-keys", "50:110"});
        QVERIFY(keyboard.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(window.kit().currentPad == 5, 20000);
        QVERIFY(jack.openPorts().join(' ').contains("editor-keys"));
        QVERIFY(world.played().contains("700ms"));
        QTRY_VERIFY_WITH_TIMEOUT(window.sound().bytesWritten() > 0, 10000);
        QVERIFY(window.sound().isPreviewing());
        keyboard.kill();
        keyboard.waitForFinished(5000);
        window.sound().closeOutput();
        QTest::qWait(100); // lets the closed stream settle before the window goes
    }

    void aboutWindowTellsWhetherThereIsMidi() {
        MidiWorld world;
        world.window->command(CommandId::About);
        QVERIFY(aboutDialog(*world.window) != nullptr);
        QVERIFY(aboutDialog(*world.window)->midiStatus()->text().contains("MIDI input: none"));
    }
};

QTEST_MAIN(MidiRouterTest)
#include "MidiRouterTest.moc"
