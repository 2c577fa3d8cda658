// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PadMapPanel.h"

#include "AppFixture.h"
#include "TimedKit.h"
#include "app/Controls.h"
#include "app/EditPath.h"
#include "app/PadPanel.h"
#include "app/ZoneListPanel.h"
#include "audio/MidiInput.h"
#include "audio/Preview.h"
#include "audio/SampleFiles.h"
#include "ui/PadMapView.h"
#include "ui/WaveformView.h"

#include <QMenu>
#include <QSplitter>
#include <QtTest>

namespace padsmith::test {

namespace {

// Pad 1 plays C1 soft (100 ms) and loud (200 ms) and D1 (300 ms); pad 3 has a D1 zone that
// pad 1 always takes first. Real WAVE files, so the preview's info text tells which played.
struct MapWorld {
    MapWorld() {
        window = &openTimedKit(app, input,
                               {{0, "soft.wav", 36, 1, 64, 100},
                                {0, "loud.wav", 36, 65, 127, 200},
                                {0, "rim.wav", 38, 1, 127, 300},
                                {2, "shadow.wav", 38, 1, 127, 400}});
        padPanel(*window).selectPad(0, 0);
    }

    PadMapPanel& panel() const { return padMapPanel(*window); }
    PadMapView* map() const { return panel().map(); }
    const SampleZone& zone(int pad, int row) const {
        return window->kit().pads[static_cast<std::size_t>(pad)].at(static_cast<std::size_t>(row));
    }
    // The middle of `velocity` on `lane`.
    QPoint at(int lane, int velocity) const {
        return {(map()->xOf(velocity) + map()->xOf(velocity + 1)) / 2,
                map()->laneRect(lane).center().y()};
    }
    QString played() const { return window->sound().infoText(); }

    AppFixture app;
    MidiInput input; // never opened: the test is the keyboard
    MainWindow* window = nullptr;
};

} // namespace

class PadMapPanelTest : public QObject {
    Q_OBJECT

private slots:
    // The panes take the room the window gains, and the place of their dividers is kept.
    void panesShowWhenTheWindowGrows() {
        MapWorld world;
        const QSize designed = world.window->size();
        QVERIFY(!world.panel().panesShown());
        world.window->resize(designed + QSize(300, 400));
        QTRY_VERIFY(world.panel().panesShown());
        // The pads keep their size and follow the bottom edge; the kit fields stay.
        QCOMPARE(padButton(*world.window, 0)->size(),
                 PadButton::restImage().deviceIndependentSize().toSize());
        QVERIFY(padButton(*world.window, 17)->geometry().bottom() >
                world.panel().area()->geometry().bottom());
        QCOMPARE(kitNameField(*world.window)->y() < world.panel().area()->y(), true);
        world.window->resize(designed);
        QTRY_VERIFY(!world.panel().panesShown());
    }

    void dragAndClickThroughTheEditPath() {
        MapWorld world;
        world.window->resize(world.window->size() + QSize(300, 400));
        QTRY_VERIFY(world.panel().panesShown());
        PadMapView* map = world.map();
        QCOMPARE(map->lanes().size(), 2);
        QCOMPARE(map->lanes()[0].title, QStringLiteral("C1"));

        // Dragging the soft layer's upper edge to 80 takes the loud layer's lower edge along,
        // shown while dragging and applied on release as one step.
        const QRect soft = map->blockRect(0);
        QTest::mousePress(map, Qt::LeftButton, {}, QPoint(soft.right() + 1, soft.center().y()));
        QTest::mouseMove(map, QPoint(map->xOf(81), soft.center().y()));
        QCOMPARE(map->blocks()[0].window.high, 80);
        QCOMPARE(map->blocks()[1].window.low, 81);
        QCOMPARE(world.zone(0, 0).velocityHigh, 64);
        QTest::mouseRelease(map, Qt::LeftButton, {}, QPoint(map->xOf(81), soft.center().y()));
        QCOMPARE(world.zone(0, 0).velocityHigh, 80);
        QCOMPARE(world.zone(0, 1).velocityLow, 81);
        QCOMPARE(world.window->editPath().undoName(), QStringLiteral("Edit Velocity"));
        QVERIFY(world.window->kit().modified());
        world.window->editPath().undo();
        QCOMPARE(world.zone(0, 0).velocityHigh, 64);
        QCOMPARE(world.zone(0, 1).velocityLow, 65);
        QTRY_COMPARE(map->blocks()[0].window.high, 64);
        QVERIFY(!world.window->editPath().canUndo());

        // A click plays the layer a note of that velocity reaches and selects its row.
        QTest::mouseClick(map, Qt::LeftButton, {}, world.at(0, 100));
        QCOMPARE(zonePanel(*world.window).selectedRows(), QList<int>{1});
        QVERIFY(world.played().contains("200ms"));
        QVERIFY(map->hasFocus());
        QCOMPARE(map->blocks().size(), 3);
        // The waveform strip shows the selected sample, measured in the background.
        QTRY_VERIFY(!world.panel().waveform()->content().channels.isEmpty());
        QCOMPARE(world.panel().waveform()->content().details.value(1), QStringLiteral("200ms"));
        // Ctrl+click selects without playing.
        QTest::mouseClick(map, Qt::LeftButton, Qt::ControlModifier, world.at(0, 10));
        QCOMPARE(zonePanel(*world.window).selectedRows(), QList<int>{0});
        QVERIFY(world.played().contains("200ms"));
        QTRY_COMPARE(map->blocks().size(), 3);

        // A note from the keyboard marks its lane and fades out within a second or so.
        world.input.deliver({0x99, 36, 30});
        QTRY_COMPARE(map->hitsShown(), 1);
        QVERIFY(world.played().contains("100ms"));
        QTRY_COMPARE_WITH_TIMEOUT(map->hitsShown(), 0, 3000);

        // Pad 3's D1 zone never plays: pad 1 takes the note first. Hatched, with the reason.
        padPanel(*world.window).selectPad(2, 0);
        QTRY_COMPARE(map->blocks().size(), 1);
        QVERIFY(map->blocks()[0].plays.isEmpty());
        QVERIFY(map->blocks()[0].toolTip.contains(QStringLiteral("pad 1")));
        QCOMPARE(map->lanes()[0].others.size(), 1);
    }
};

} // namespace padsmith::test

QTEST_MAIN(padsmith::test::PadMapPanelTest)
#include "PadMapPanelTest.moc"
