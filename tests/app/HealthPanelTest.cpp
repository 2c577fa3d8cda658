// SPDX-License-Identifier: GPL-3.0-or-later
// The "Kit Health" panel: what it lists after a read and after edits, the rows it marks, and
// its Fix as one undo step.
#include "app/HealthPanel.h"

#include "AppFixture.h"
#include "app/EditPath.h"
#include "app/ZoneListPanel.h"
#include "app/ZoneTableModel.h"
#include "ui/CellTableView.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

namespace padsmith::test {

class HealthPanelTest : public QObject {
    Q_OBJECT

private slots:
    void findsFixesAndUndoesASecondTakeThatNeverPlays() {
        AppFixture app;
        MainWindow& window = app.open();
        HealthPanel& health = healthPanel(window);
        QVERIFY(!health.isVisible());

        // A second snare take with the same velocity window as the first: it never plays.
        KitDocument kit;
        kit.kitName = "Takes";
        kit.pads[1].label = "SNARE";
        for (const char* name : {"snare a.wav", "snare b.wav"}) {
            SampleZone zone;
            zone.padNumber = 2;
            zone.key = 38;
            zone.velocityLow = 81;
            zone.velocityHigh = 127;
            zone.sampleName = name;
            zone.sourcePath = toStd(app.path(QStringLiteral("library/") + name));
            AppFixture::touch(app.path(QStringLiteral("library/") + name), "RIFF");
            kit.pads[1].append(zone);
        }
        const QString file = app.path("Takes.txt");
        AppFixture::touch(file, QByteArray::fromStdString(formatKitScript(kit)));
        window.document().openKitPath(file);
        QTRY_VERIFY(!health.busy());

        const auto never =
            std::find_if(health.findings().begin(), health.findings().end(),
                         [](const HealthFinding& f) { return f.kind == HealthKind::NeverPlays; });
        QVERIFY(never != health.findings().end());
        QCOMPARE(never->message,
                 std::string("Row 2 can never play: row 1 plays D1 at 81–127 first"));
        // "not a sample" files are errors too: the count is in the status area.
        QVERIFY(health.statusLabel()->text().contains(QStringLiteral("3 errors")));

        // The row carries the message; a click on the finding shows the pad and row.
        const auto index = static_cast<int>(never - health.findings().begin());
        health.showFinding(index);
        QCOMPARE(window.kit().currentPad, 1);
        QCOMPARE(zonePanel(window).selectedRows(), QList<int>{1});
        ZoneTableModel& rows = zonePanel(window).model();
        QVERIFY(rows.data(rows.index(1, 0), Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral("Row 2 can never play")));
        QVERIFY(!rows.data(rows.index(1, 0), Qt::DecorationRole).isNull());

        // Fix (the first fix: the takes share the window) is one undo step.
        auto* list = health.findChild<QListWidget*>(QStringLiteral("healthFindings"));
        list->setCurrentRow(index);
        auto* fix = health.findChild<QToolButton*>(QStringLiteral("healthFix"));
        QVERIFY(fix->isEnabled());
        QTest::mouseClick(fix, Qt::LeftButton, {}, QPoint(4, fix->height() / 2));
        QCOMPARE(window.kit().pads[1].at(0).velocityHigh, 103);
        QCOMPARE(window.kit().pads[1].at(1).velocityLow, 104);
        QCOMPARE(action(window, CommandId::Undo)->text(),
                 QStringLiteral("Undo Interleave Takes\tCtrl+Z"));
        // A fix is offered only for the kit it was found in, until the check ran again.
        QVERIFY(!health.applyFix(index));
        QTRY_VERIFY(!health.busy());
        QVERIFY(
            std::none_of(health.findings().begin(), health.findings().end(),
                         [](const HealthFinding& f) { return f.kind == HealthKind::NeverPlays; }));

        window.command(CommandId::Undo);
        QCOMPARE(window.kit().pads[1].at(1).velocityLow, 81);
        QTRY_VERIFY(!health.busy());
        QVERIFY(
            std::any_of(health.findings().begin(), health.findings().end(),
                        [](const HealthFinding& f) { return f.kind == HealthKind::NeverPlays; }));

        window.command(CommandId::KitHealth);
        QVERIFY(!health.isHidden());
    }
};

} // namespace padsmith::test

QTEST_MAIN(padsmith::test::HealthPanelTest)
#include "HealthPanelTest.moc"
