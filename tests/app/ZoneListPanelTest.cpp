// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ZoneListPanel.h"

#include "AppFixture.h"
#include "app/Controls.h"
#include "app/EditPath.h"
#include "app/ZoneTableModel.h"
#include "ui/CellTableView.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

namespace padsmith::test {

namespace {

SampleZone zoneOf(int pad, int key, int low = 1, int high = 127) {
    SampleZone zone;
    zone.padNumber = pad + 1;
    zone.key = key;
    zone.velocityLow = low;
    zone.velocityHigh = high;
    zone.sampleName = "s" + std::to_string(key) + ".wav";
    return zone;
}

// The window with a kit of its own: pad 0 holds zones on keys 36, 38, 36, pad 3 one soft zone
// on key 40. Pad 0 is current and listed, the list has the focus.
class ZoneWindow {
public:
    ZoneWindow() : window(app.open(false)) {
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        KitDocument& kit = window.kit();
        for (int key : {36, 38, 36}) {
            kit.pads[0].append(zoneOf(0, key));
        }
        kit.pads[3].append(zoneOf(3, 40, 1, 30));
        kit.takeSavedFingerprints();
        window.showKit();
        list().setFocus();
        panel().selectRow(0);
    }

    ZoneListPanel& panel() const { return zonePanel(window); }
    CellTableView& list() const { return *zoneList(window); }
    const Pad& pad(int index) const { return window.kit().pads[static_cast<std::size_t>(index)]; }
    QLineEdit* editor() const { return qobject_cast<QLineEdit*>(list().cellEditor()); }
    QString cell(int row, int column) const {
        return list().model()->index(row, column).data().toString();
    }
    // Moves the cursor to `column` of the current row with the arrow keys.
    void toColumn(int column) {
        while (list().currentColumn() < column) {
            QTest::keyClick(&list(), Qt::Key_Right);
        }
        while (list().currentColumn() > column) {
            QTest::keyClick(&list(), Qt::Key_Left);
        }
    }
    // Types `text` into the current cell and ends the edit with `key`.
    void type(const QString& text, Qt::Key key = Qt::Key_Return,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClicks(&list(), text.left(1));
        QVERIFY(editor() != nullptr);
        QTest::keyClicks(editor(), text.mid(1));
        QTest::keyClick(editor(), key, modifiers);
    }

    AppFixture app;
    MainWindow& window;
};

} // namespace

class ZoneListPanelTest : public QObject {
    Q_OBJECT

private slots:
    void columnsColoursAndFonts() {
        AppFixture app;
        MainWindow& window = app.open(false);
        CellTableView& list = *zoneList(window);
        const QStringList headings{"Sample",
                                   "Key",
                                   "Velocity",
                                   "Voices",
                                   "Group",
                                   "Key Range",
                                   "Vol.L/R (-12dB-+24dB)",
                                   "Source Folder"};
        const QList<int> widths{200, 35, 60, 40, 40, 70, 110, 1024};
        QCOMPARE(list.model()->columnCount(), 8);
        for (int column = 0; column < 8; ++column) {
            QCOMPARE(list.model()->headerData(column, Qt::Horizontal).toString(),
                     headings.at(column));
            QCOMPARE(list.horizontalHeader()->sectionSize(column), widths.at(column));
        }
        auto alignment = [&list](int column) {
            return list.model()
                       ->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole)
                       .value<Qt::Alignment>() &
                   Qt::AlignHorizontal_Mask;
        };
        QCOMPARE(alignment(3), Qt::AlignHCenter);
        QCOMPARE(alignment(7), Qt::AlignLeft);
        QCOMPARE(list.columnEditing(0), CellEditing::OnRequest);
        QCOMPARE(list.columnEditing(1), CellEditing::ByTyping);
        QCOMPARE(list.columnEditing(7), CellEditing::Never);
        QVERIFY(!list.horizontalHeader()->sectionsClickable());
        QCOMPARE(list.backgroundColour(), QColor(0x37, 0x37, 0xFF));
        QCOMPARE(list.palette().color(QPalette::Text), QColor(Qt::white));
        QCOMPARE(list.font().pixelSize(), 11);
        QCOMPARE(list.horizontalHeader()->font().pixelSize(), 9);

        list.setBackgroundColour(Qt::black);
        QCOMPARE(list.backgroundColour(), QColor(Qt::black));
    }

    void rowsAreShownFromTheKit() {
        ZoneWindow zones;
        KitDocument& kit = zones.window.kit();
        QCOMPARE(zones.panel().rowCount(), 3);
        QCOMPARE(zones.cell(1, 1), QStringLiteral("D1"));
        QCOMPARE(zones.cell(0, 2), QStringLiteral("  1 - 127"));
        QCOMPARE(zones.cell(0, 6), QStringLiteral("+0 dB / +0 dB"));

        // A row shown takes its pad's number and clears the reserved fields.
        kit.pads[0].at(2).padNumber = 9;
        kit.pads[0].at(2).reserved2 = 4;
        zones.panel().showZoneRow(2);
        QCOMPARE(kit.pads[0].at(2).padNumber, 1);
        QCOMPARE(kit.pads[0].at(2).reserved2, 0);

        // Fewer zones: the extra rows go; another pad, and an empty one, are listed anew.
        kit.pads[0].erase(1);
        zones.panel().showPadZones();
        QCOMPARE(zones.panel().rowCount(), 2);
        QCOMPARE(zones.cell(1, 1), QStringLiteral("C1"));
        kit.currentPad = 3;
        zones.panel().showPadZones();
        QCOMPARE(zones.panel().rowCount(), 1);
        QCOMPARE(zones.cell(0, 1), QStringLiteral("E1"));
        kit.currentPad = 7;
        zones.panel().showPadZones();
        QCOMPARE(zones.panel().rowCount(), 0);
        QCOMPARE(padLabel(zones.window, 7)->text(), QStringLiteral("XXX"));
    }

    void typedCellsCommitThroughTheEditPath() {
        ZoneWindow zones;
        QSignalSpy resets(&zones.panel().model(), &QAbstractItemModel::modelReset);
        zones.toColumn(1);
        zones.type("c#3");
        QCOMPARE(zones.pad(0).at(0).key, 61);
        QCOMPARE(zones.cell(0, 1), QStringLiteral("c#3"));
        QCOMPARE(zones.list().currentRow(), 1); // Enter moved down
        QVERIFY(zones.window.windowTitle().contains('*'));
        QCOMPARE(action(zones.window, CommandId::Undo)->text(),
                 QStringLiteral("Undo Edit Key\tCtrl+Z"));

        // Typed into Velocity and ended with Right: stored in order, the cursor one cell on.
        zones.toColumn(2);
        zones.type("127  1", Qt::Key_Right);
        QCOMPARE(zones.pad(0).at(1).velocityLow, 1);
        QCOMPARE(zones.pad(0).at(1).velocityHigh, 127);
        QCOMPARE(zones.list().currentColumn(), 3);
        zones.type("200");
        QCOMPARE(zones.pad(0).at(1).voices, 127);
        QCOMPARE(resets.count(), 0); // rows are refreshed, never rebuilt

        zones.window.command(CommandId::Undo);
        zones.window.command(CommandId::Undo);
        zones.window.command(CommandId::Undo);
        QCOMPARE(zones.pad(0).at(0).key, 36);
        QCOMPARE(zones.cell(0, 1), QStringLiteral("C1"));
        QVERIFY(!zones.window.windowTitle().contains('*'));
    }

    void controlCommitsToEveryRowAsOneStep() {
        ZoneWindow zones;
        zones.toColumn(3);
        zones.type("100", Qt::Key_Return, Qt::ControlModifier);
        for (const SampleZone& zone : zones.pad(0)) {
            QCOMPARE(zone.voices, 100);
        }
        zones.window.command(CommandId::Undo);
        for (const SampleZone& zone : zones.pad(0)) {
            QCOMPARE(zone.voices, 0);
        }
        QVERIFY(!zones.window.editPath().canUndo());
    }

    void doubleNoteStopsAtTheFirstRefusedRow() {
        ZoneWindow zones;
        KitDocument& kit = zones.window.kit();
        kit.pads[0].at(0).velocityLow = 31; // rows 1 and 2 overlap pad 3's window 1-30
        kit.pads[0].at(1).velocityLow = 25;
        kit.pads[0].at(2).velocityLow = 25;
        zones.window.showKit();
        zones.list().setFocus();
        zones.list().selectAll();
        zones.app.dialogs.messageAnswers = {AnswerOk};
        zones.toColumn(1);
        zones.type("E1");
        QCOMPARE(zones.app.dialogs.messages,
                 QStringList{QStringLiteral("Double defined NOTE in your drum set!")});
        QCOMPARE(zones.pad(0).at(0).key, 40);
        QCOMPARE(zones.pad(0).at(1).key, 38);
        QCOMPARE(zones.pad(0).at(2).key, 36);
        QCOMPARE(zones.window.kit().currentPad, 0);
        QTRY_VERIFY(zones.list().hasFocus());

        // A key that only zones of the same pad play is taken.
        zones.list().selectAll();
        zones.toColumn(1);
        zones.type("36");
        QCOMPARE(zones.app.dialogs.messages.size(), 1);
        QCOMPARE(zones.pad(0).at(2).key, 36);
        QCOMPARE(zones.pad(0).at(1).key, 36);
    }

    void editStartsWithTheOfferedText() {
        ZoneWindow zones;
        zones.window.kit().currentPad = 3;
        zones.panel().showPadZones();
        zones.panel().selectRow(0);
        zones.toColumn(4);
        QTest::keyClick(&zones.list(), Qt::Key_F2);
        QVERIFY(zones.editor() != nullptr);
        QCOMPARE(zones.editor()->text(), QStringLiteral("4")); // ungrouped: the pad's number
        QTest::keyClick(zones.editor(), Qt::Key_Escape);
        zones.toColumn(2);
        zones.window.command(CommandId::Rename); // the edit request of F2
        QVERIFY(zones.editor() != nullptr);
        QCOMPARE(zones.editor()->text(), QStringLiteral("1  30"));
        // While the box has the focus the pad's marker stays blue.
        QCOMPARE(padButton(zones.window, 3)->marker(), PadButton::Marker::ListFocus);
        QTest::keyClick(zones.editor(), Qt::Key_Escape);
        QVERIFY(zones.list().hasFocus());

        // The Sample cell is edited on request only, and its commit is the sample's rename.
        QSignalSpy renames(&zones.panel(), &ZoneListPanel::sampleNameCommitted);
        zones.toColumn(0);
        QTest::keyClicks(&zones.list(), "x");
        QVERIFY(zones.editor() == nullptr);
        QTest::keyClick(&zones.list(), Qt::Key_F2);
        QCOMPARE(zones.editor()->text(), QStringLiteral("s40.wav"));
        QTest::keyClicks(zones.editor(), "boom.wav");
        QTest::keyClick(zones.editor(), Qt::Key_Return);
        QCOMPARE(renames.count(), 1);
        QCOMPARE(renames.at(0), (QVariantList{0, QStringLiteral("boom.wav")}));
    }

    void dynamicVelocityAndTheEnablingOfZoneCommands() {
        ZoneWindow zones;
        QAction* spread = action(zones.window, CommandId::SpreadVelocities);
        QAction* rename = action(zones.window, CommandId::Rename);
        zones.window.updateCommandStates();
        QVERIFY(spread->isEnabled());
        QVERIFY(rename->isEnabled());
        QVERIFY(!action(zones.window, CommandId::Cut)->isEnabled());
        QVERIFY(action(zones.window, CommandId::Copy)->isEnabled());
        QVERIFY(!action(zones.window, CommandId::Paste)->isEnabled()); // nothing remembered
        zones.window.command(CommandId::Copy);
        QVERIFY(action(zones.window, CommandId::Paste)->isEnabled());
        QCOMPARE(zones.window.menuBar()->actions().at(1)->text(), QStringLiteral("&Samples"));

        zones.window.command(CommandId::SpreadVelocities);
        QList<std::pair<int, int>> windows;
        for (const SampleZone& zone : zones.pad(0)) {
            windows.append({zone.key, zone.velocityHigh});
        }
        QCOMPARE(windows, (QList<std::pair<int, int>>{{36, 74}, {36, 127}, {38, 127}}));
        QCOMPARE(zones.cell(2, 1), QStringLiteral("D1"));
        QCOMPARE(spread->text(), QStringLiteral("Set dynamic velocity"));
        QCOMPARE(action(zones.window, CommandId::Undo)->text(),
                 QStringLiteral("Undo Set dynamic velocity\tCtrl+Z"));

        // One row: nothing to spread; no row: nothing to rename either.
        zones.window.kit().currentPad = 3;
        zones.panel().showPadZones();
        zones.window.updateCommandStates();
        QVERIFY(!spread->isEnabled());
        zones.window.kit().currentPad = 9;
        zones.panel().showPadZones();
        zones.window.updateCommandStates();
        QVERIFY(!rename->isEnabled());
    }

    void clicksSelectDoubleClicksEditAndDragsMove() {
        ZoneWindow zones;
        QWidget* rows = zones.list().viewport();
        const QPoint cell = zones.list().visualRect(zones.list().model()->index(1, 2)).center();
        QTest::mouseClick(rows, Qt::LeftButton, {}, cell);
        QCOMPARE(zones.panel().currentRow(), 1);
        QCOMPARE(zones.panel().selectedRows(), QList<int>{1});
        QTest::mouseDClick(rows, Qt::LeftButton, {}, cell);
        QVERIFY(zones.editor() != nullptr);
        QCOMPARE(zones.editor()->text(), QStringLiteral("1  127"));
        QTest::keyClick(zones.editor(), Qt::Key_Escape);

        // Dragged rows move as Copy and Paste move them, in one undo step.
        const Pad before = zones.pad(0);
        emit zones.list().rowsDropped({0}, 2, false);
        QCOMPARE(zones.pad(0).at(2), before.at(0));
        QCOMPARE(zones.pad(0).at(0), before.at(1));
        zones.window.command(CommandId::Undo);
        QCOMPARE(zones.pad(0), before);
    }
};

} // namespace padsmith::test

QTEST_MAIN(padsmith::test::ZoneListPanelTest)
#include "ZoneListPanelTest.moc"
