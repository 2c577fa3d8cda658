// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's groove player: notes in order and on their zones, loops, stops, and edits heard
// at the next note. No timing is asserted: only what plays and in which order.
#include "app/GroovePlayer.h"

#include "kit/KitDocument.h"

#include <QSignalSpy>
#include <QTest>
#include <string>
#include <vector>

namespace padsmith {

class GroovePlayerTest : public QObject {
    Q_OBJECT

private:
    static KitDocument twoPadKit() {
        KitDocument kit;
        for (const auto& [pad, key, path] :
             {std::tuple{0, 36, "kick.wav"}, std::tuple{1, 38, "snare.wav"}}) {
            SampleZone zone;
            zone.padNumber = pad + 1;
            zone.key = key;
            zone.sourcePath = path;
            zone.gainLeft = 2.0F;
            kit.pads[static_cast<std::size_t>(pad)].append(zone);
        }
        return kit;
    }
    // Kick, snare and a note no zone plays, 2 ms apart; one pass lasts 6 ms.
    static Groove groove() {
        return Groove{GroovePlayer::kClockRate, {{0, 36, 100}, {96, 38, 90}, {192, 49, 80}}, 288};
    }

private slots:
    void playsEachPassInOrderThenStops() {
        const KitDocument kit = twoPadKit();
        std::vector<std::string> played;
        GroovePlayer player(kit, [&](const ZonePlay& zone) {
            played.push_back(zone.path + " " + std::to_string(zone.gainLeft));
        });
        QSignalSpy notes(&player, &GroovePlayer::notePlayed);
        QSignalSpy stopped(&player, &GroovePlayer::stopped);
        player.start(groove(), 2);
        QVERIFY(player.playing());
        QTRY_COMPARE(stopped.count(), 1);
        QVERIFY(!player.playing());
        const std::vector<std::string> pass = {"kick.wav 2.000000", "snare.wav 2.000000"};
        std::vector<std::string> twice = pass;
        twice.insert(twice.end(), pass.begin(), pass.end());
        QCOMPARE(played, twice);
        // Every note is reported, the one that plays nothing with pad -1.
        QCOMPARE(notes.count(), 6);
        QCOMPARE(notes.at(1), (QList<QVariant>{38, 90, 1, 0}));
        QCOMPARE(notes.at(2), (QList<QVariant>{49, 80, -1, -1}));
    }

    void aLoopPlaysEditsAtTheNextNoteUntilStopped() {
        KitDocument kit = twoPadKit();
        std::vector<std::string> played;
        GroovePlayer player(kit, [&](const ZonePlay& zone) { played.push_back(zone.path); });
        QSignalSpy stopped(&player, &GroovePlayer::stopped);
        int heard = 0;
        connect(&player, &GroovePlayer::notePlayed, this, [&](int note) {
            if (note == 36 && ++heard == 1) {
                kit.pads[1].at(0).sourcePath = "rim.wav"; // an edit while the groove plays
            } else if (heard == 3) {
                player.stop();
            }
        });
        player.start(groove(), 0);
        QTRY_COMPARE(stopped.count(), 1);
        QCOMPARE(played.front(), std::string("kick.wav"));
        QCOMPARE(played.at(1), std::string("rim.wav"));
        QCOMPARE(played.size(),
                 5U); // kick, rim, kick, rim, kick: the stop came with the third kick
        QVERIFY(!player.playing());
        // A sweep keeps to its pad: key 38 on pad 1 plays nothing.
        played.clear();
        player.start(Groove{GroovePlayer::kClockRate, {{0, 38, 100}}, 10}, 1, 0);
        QTRY_COMPARE(stopped.count(), 2);
        QVERIFY(played.empty());
    }
};

} // namespace padsmith

QTEST_GUILESS_MAIN(padsmith::GroovePlayerTest)
#include "GroovePlayerTest.moc"
