// SPDX-License-Identifier: GPL-3.0-or-later
// Hearing the kit play in the window: Pad › Play Groove… and a dropped MIDI file loop a groove
// through the kit, lighting pads and the map, until the command again or Escape stops it;
// Play Velocity Sweep walks the current pad's layers.
#include "app/GrooveCommands.h"

#include "AppFixture.h"
#include "TimedKit.h"
#include "WindowParts.h"
#include "app/DropTargets.h"
#include "audio/MidiFiles.h"
#include "ui/PadMapView.h"

#include <QSignalSpy>
#include <QtTest>

using namespace padsmith;
using namespace padsmith::test;

namespace {

// Pad 1 plays note 36 in two layers, pad 2 note 38; pad 3 is empty.
struct GrooveWorld {
    GrooveWorld() {
        window = &openTimedKit(app, input,
                               {{0, "soft.wav", 36, 1, 64, 50},
                                {0, "hard.wav", 36, 65, 127, 60},
                                {1, "snare.wav", 38, 1, 127, 70}});
    }
    GrooveCommands& grooves() const { return part<GrooveCommands>(*window); }

    // Kick, snare, kick, and a crash no zone plays, a sixteenth apart at 120 (0.5 s a pass).
    QString writeGroove(const QString& name) const {
        using namespace padsmith::testing;
        const std::string events = event(0, {0x99, 36, 100}) + event(120, {0x99, 38, 90}) +
                                   event(120, {0x99, 36, 30}) + event(120, {0x99, 49, 110});
        const QString file = app.path(name);
        writeFile(toFsPath(file), midiHeader(0, 1, 480) + midiTrack(events + endOfTrack(480)));
        return file;
    }

    AppFixture app;
    MidiInput input;
    MainWindow* window = nullptr;
};

struct Note {
    int note;
    int velocity;
    int pad;
    int row;
    bool operator==(const Note&) const = default;
};
QList<Note> notesOf(const QSignalSpy& spy) {
    QList<Note> notes;
    for (const QList<QVariant>& args : spy) {
        notes.append({args[0].toInt(), args[1].toInt(), args[2].toInt(), args[3].toInt()});
    }
    return notes;
}

} // namespace

class GrooveCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void aChosenGrooveLoopsThroughTheKitUntilTheCommandAgain() {
        GrooveWorld world;
        MainWindow& window = *world.window;
        world.app.dialogs.openAnswers = {world.writeGroove("beat.mid")};
        QSignalSpy notes(&world.grooves(), &GrooveCommands::notePlayed);
        window.command(CommandId::PlayGroove);
        QCOMPARE(world.grooves().playing(), GrooveCommands::Playing::Groove);
        QVERIFY(commands(window).action(CommandId::PlayGroove)->isChecked());
        // The pads light as their notes play, and the map of the current pad marks the kicks.
        QTRY_VERIFY(padButton(window, 1)->lit());
        QTRY_VERIFY(padMapPanel(window).map()->hitsShown() > 0);
        // A second pass: the loop goes on.
        QTRY_VERIFY(notes.count() >= 6);
        const QList<Note> pass = {
            {36, 100, 0, 1}, {38, 90, 1, 0}, {36, 30, 0, 0}, {49, 110, -1, -1}};
        QCOMPARE(notesOf(notes).mid(0, 4), pass);
        QCOMPARE(notesOf(notes).mid(4, 2), pass.mid(0, 2));
        // The same command stops it; nothing was asked again.
        window.command(CommandId::PlayGroove);
        QCOMPARE(world.grooves().playing(), GrooveCommands::Playing::Nothing);
        QVERIFY(!commands(window).action(CommandId::PlayGroove)->isChecked());
        QVERIFY(world.app.dialogs.openAnswers.isEmpty());
        const int heard = notes.count();
        QTest::qWait(600);
        QCOMPARE(notes.count(), heard);
    }

    void editsAreHeardAtTheNextNoteAndEscapeStops() {
        GrooveWorld world;
        MainWindow& window = *world.window;
        QSignalSpy notes(&world.grooves(), &GrooveCommands::notePlayed);
        window.dropTargets().dropFiles({world.writeGroove("dropped.mid")}, {}, Qt::NoModifier);
        QCOMPARE(world.grooves().playing(), GrooveCommands::Playing::Groove);
        QTRY_VERIFY(!notes.isEmpty());
        // The snare's key moves to the crash's note: from the next pass the crash plays it.
        window.kit().pads[1].at(0).key = 49;
        QTRY_VERIFY(notesOf(notes).contains(Note{49, 110, 1, 0}));
        QTest::keyClick(padButton(window, 0), Qt::Key_Escape);
        QTRY_COMPARE(world.grooves().playing(), GrooveCommands::Playing::Nothing);
    }

    void aBrokenGrooveIsNamedAndNothingPlays() {
        GrooveWorld world;
        MainWindow& window = *world.window;
        const QString broken = world.app.path("broken.mid");
        using namespace padsmith::testing;
        writeFile(toFsPath(broken), midiHeader(0, 1, 480) + "MTrk" + bigEndian(64, 4));
        window.dropTargets().dropFiles({broken}, {}, Qt::NoModifier);
        QCOMPARE(world.grooves().playing(), GrooveCommands::Playing::Nothing);
        QCOMPARE(world.app.dialogs.messages.size(), 1);
        QVERIFY(world.app.dialogs.messages.constFirst().contains("track 1 announces 64 bytes"));
    }

    void theSweepWalksTheCurrentPadsLayers() {
        GrooveWorld world;
        MainWindow& window = *world.window;
        padPanel(window).selectPad(2, 0);
        window.updateCommandStates();
        QVERIFY(!commands(window).action(CommandId::PlayVelocitySweep)->isEnabled());
        padPanel(window).selectPad(0, 0);
        window.updateCommandStates();
        QSignalSpy notes(&world.grooves(), &GrooveCommands::notePlayed);
        window.command(CommandId::PlayVelocitySweep);
        QCOMPARE(world.grooves().playing(), GrooveCommands::Playing::Sweep);
        QTRY_VERIFY(notes.count() >= 3);
        const QList<Note> first = {{36, 8, 0, 0}, {36, 16, 0, 0}, {36, 24, 0, 0}};
        QCOMPARE(notesOf(notes).mid(0, 3), first);
        // A groove started meanwhile takes over from the sweep.
        world.app.dialogs.openAnswers = {world.writeGroove("beat.mid")};
        window.command(CommandId::PlayGroove);
        QCOMPARE(world.grooves().playing(), GrooveCommands::Playing::Groove);
        QVERIFY(!commands(window).action(CommandId::PlayVelocitySweep)->isChecked());
        window.command(CommandId::StopGroove);
        QCOMPARE(world.grooves().playing(), GrooveCommands::Playing::Nothing);
    }
};

QTEST_MAIN(GrooveCommandsTest)
#include "GrooveCommandsTest.moc"
