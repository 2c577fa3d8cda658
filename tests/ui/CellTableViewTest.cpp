// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CellTableView.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStyleHints>
#include <QTest>

namespace padsmith::test {

// A table of `rows` rows and four columns: "r,c" texts; column 0 edited on request, 1 by
// typing, 2 by typing digits only, 3 never.
class Table {
public:
    explicit Table(int rows = 4) : model(rows, 4) {
        for (int row = 0; row < rows; ++row) {
            for (int column = 0; column < 4; ++column) {
                auto* item = new QStandardItem(QStringLiteral("%1,%2").arg(row).arg(column));
                item->setEditable(column != 3);
                model.setItem(row, column, item);
            }
        }
        view.setModel(&model);
        view.setColumnEditing(0, CellEditing::OnRequest);
        view.setColumnEditing(1, CellEditing::ByTyping);
        view.setColumnEditing(2, CellEditing::ByTyping);
        view.setDigitsOnly(2, true);
        for (int column = 0; column < 4; ++column) {
            view.setDefaultColumnWidth(column, 60 + 10 * column);
        }
        view.resize(320, 200);
        view.show();
        view.setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        view.selectOnlyRow(0, 0, false);
    }

    QLineEdit* editor() const { return qobject_cast<QLineEdit*>(view.cellEditor()); }
    QPoint centreOf(int row, int column) const {
        return view.visualRect(model.index(row, column)).center();
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = editor() != nullptr ? static_cast<QWidget*>(editor()) : &view;
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    }
    void type(char c) {
        QWidget* target = editor() != nullptr ? static_cast<QWidget*>(editor()) : &view;
        QTest::keyClicks(target, QString(QLatin1Char(c)));
    }
    QPair<int, int> cursor() const { return {view.currentRow(), view.currentColumn()}; }

    QStandardItemModel model;
    CellTableView view;
};

class CellTableViewTest : public QObject {
    Q_OBJECT

private slots:
    void cursorMovesAndStopsAtTheEdges() {
        Table table;
        table.key(Qt::Key_Left);
        table.key(Qt::Key_Up);
        QCOMPARE(table.cursor(), qMakePair(0, 0));
        for (int i = 0; i < 5; ++i) {
            table.key(Qt::Key_Right);
        }
        QCOMPARE(table.cursor(), qMakePair(0, 3));
        // Left and Right move the cursor only; the selected row stays.
        QCOMPARE(table.view.selectedRowNumbers(), QList<int>{0});
        table.key(Qt::Key_Down);
        QCOMPARE(table.cursor(), qMakePair(1, 3));
        QCOMPARE(table.view.selectedRowNumbers(), QList<int>{1});
        // Enter is Down, and stops at the last row.
        for (int i = 0; i < 4; ++i) {
            table.key(Qt::Key_Return);
        }
        QCOMPARE(table.cursor(), qMakePair(3, 3));
        QCOMPARE(table.view.selectedRowNumbers(), QList<int>{3});
        QVERIFY(table.editor() == nullptr);
    }

    void editingKindsDecideWhatOpensAnEditor() {
        Table table;
        QSignalSpy edits(&table.view, &CellTableView::cellEdited);
        // Typing into a column edited on request does nothing; F2 opens it with its text.
        table.type('a');
        QVERIFY(table.editor() == nullptr);
        table.key(Qt::Key_F2);
        QVERIFY(table.editor() != nullptr);
        QCOMPARE(table.editor()->text(), QStringLiteral("0,0"));
        QCOMPARE(table.editor()->selectedText(), QStringLiteral("0,0"));
        QVERIFY(table.editor()->hasFocus());
        // Escape: no commit, the focus back on the table.
        table.key(Qt::Key_Escape);
        QVERIFY(table.editor() == nullptr);
        QVERIFY(table.view.hasFocus());

        // A typed character opens the editor holding it, caret after it.
        table.key(Qt::Key_Right);
        table.type('x');
        QVERIFY(table.editor() != nullptr);
        QCOMPARE(table.editor()->text(), QStringLiteral("x"));
        QCOMPARE(table.editor()->cursorPosition(), 1);
        table.key(Qt::Key_Escape);

        // Digits only: 7 opens, a letter does not, and the box refuses letters.
        table.key(Qt::Key_Right);
        table.type('q');
        QVERIFY(table.editor() == nullptr);
        table.type('7');
        QVERIFY(table.editor() != nullptr);
        QCOMPARE(table.editor()->text(), QStringLiteral("7"));
        table.type('z');
        QCOMPARE(table.editor()->text(), QStringLiteral("7"));
        table.key(Qt::Key_Escape);

        // A column that is never edited: neither F2 nor typing.
        table.key(Qt::Key_Right);
        table.key(Qt::Key_F2);
        table.type('5');
        table.view.beginEdit();
        QVERIFY(table.editor() == nullptr);
        QCOMPARE(edits.count(), 0);
    }

    void commitsEndWithEnterOrAnArrowAndMoveOn() {
        Table table;
        QSignalSpy edits(&table.view, &CellTableView::cellEdited);
        table.key(Qt::Key_Right);
        table.type('4');
        table.type('2');
        table.key(Qt::Key_Right); // typed: the arrow commits and moves one cell right
        QCOMPARE(edits.count(), 1);
        QCOMPARE(edits.at(0), (QVariantList{0, 1, QStringLiteral("42")}));
        QCOMPARE(table.cursor(), qMakePair(0, 2));
        QVERIFY(table.editor() == nullptr);
        QVERIFY(table.view.hasFocus());

        // Opened by F2 the arrows move the caret; Enter commits and moves down.
        table.key(Qt::Key_Left);
        table.key(Qt::Key_F2);
        table.key(Qt::Key_Left);
        table.key(Qt::Key_Down);
        QVERIFY(table.editor() != nullptr);
        table.type('9');
        table.key(Qt::Key_Return);
        QCOMPARE(edits.count(), 2);
        QCOMPARE(edits.at(1), (QVariantList{0, 1, QStringLiteral("0,91")}));
        QCOMPARE(table.cursor(), qMakePair(1, 1));

        // An emptied box commits nothing and stays where it is.
        table.key(Qt::Key_F2);
        table.editor()->clear();
        table.key(Qt::Key_Return);
        QCOMPARE(edits.count(), 2);
        QCOMPARE(table.cursor(), qMakePair(1, 1));

        // Leaving the box for another control ends it without a commit.
        QLineEdit elsewhere;
        elsewhere.show();
        table.type('5');
        elsewhere.activateWindow();
        elsewhere.setFocus();
        QTRY_VERIFY(table.editor() == nullptr);
        QCOMPARE(edits.count(), 2);
    }

    void slowSecondClickEditsAndDoubleClickDoesNot() {
        Table table;
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(100);
        QSignalSpy doubles(&table.view, &QAbstractItemView::doubleClicked);
        QWidget* rows = table.view.viewport();
        const QPoint cell = table.centreOf(1, 1);
        QTest::mouseClick(rows, Qt::LeftButton, {}, cell);
        QCOMPARE(table.cursor(), qMakePair(1, 1));
        QTest::qWait(150);
        QVERIFY(table.editor() == nullptr); // one click only moves the cursor
        QTest::mouseClick(rows, Qt::LeftButton, {}, cell);
        QVERIFY(table.editor() == nullptr); // not before the double-click time
        QTRY_VERIFY(table.editor() != nullptr);
        QCOMPARE(table.editor()->text(), QStringLiteral("1,1"));
        table.key(Qt::Key_Escape);

        // A double click on the same cell reaches the owner and edits nothing.
        QTest::mouseClick(rows, Qt::LeftButton, {}, cell);
        QTest::mouseDClick(rows, Qt::LeftButton, {}, cell);
        QTest::mouseRelease(rows, Qt::LeftButton, {}, cell);
        QTest::qWait(250);
        QVERIFY(table.editor() == nullptr);
        QCOMPARE(doubles.count(), 1);

        // A second click with Control held, or on another cell, edits nothing either.
        QTest::mouseClick(rows, Qt::LeftButton, Qt::ControlModifier, cell);
        QTest::mouseClick(rows, Qt::LeftButton, {}, table.centreOf(2, 1));
        QTest::qWait(250);
        QVERIFY(table.editor() == nullptr);
    }

    void highlightOnlyInTheCurrentColumnWhileFocused() {
        Table table;
        QPalette colours = table.view.palette();
        for (const auto group : {QPalette::Active, QPalette::Inactive}) {
            colours.setColor(group, QPalette::Highlight, Qt::red);
            colours.setColor(group, QPalette::Base, Qt::blue);
        }
        table.view.setPalette(colours);
        table.key(Qt::Key_Right);
        // The style may blend the highlight a little; red against blue is what counts.
        auto highlighted = [](const QColor& colour) {
            return colour.red() > 200 && colour.blue() < 100;
        };
        auto shade = [&table](int column) {
            const QRect cell = table.view.visualRect(table.model.index(0, column));
            const QImage picture = table.view.viewport()->grab().toImage();
            return picture.pixelColor(cell.right() - 3, cell.center().y());
        };
        QVERIFY(highlighted(shade(1)));
        QVERIFY(!highlighted(shade(0)));
        QVERIFY(!highlighted(shade(2)));
        // Without the focus, the whole selected row shows.
        QLineEdit elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        elsewhere.setFocus();
        QTRY_VERIFY(!table.view.hasFocus());
        QVERIFY(highlighted(shade(0)));
    }

    void scrollingEndsAnEditWithoutCommit() {
        Table table(200);
        QSignalSpy edits(&table.view, &CellTableView::cellEdited);
        table.key(Qt::Key_F2);
        QVERIFY(table.editor() != nullptr);
        table.view.verticalScrollBar()->setValue(300);
        QVERIFY(table.editor() == nullptr);
        QVERIFY(table.view.hasFocus());
        table.key(Qt::Key_Right);
        table.type('3');
        table.view.horizontalScrollBar()->setValue(table.view.horizontalScrollBar()->maximum());
        table.view.horizontalScrollBar()->setValue(0);
        QVERIFY(table.editor() == nullptr);
        QCOMPARE(edits.count(), 0);
    }

    void controlKeypadMinusRestoresTheWidths() {
        Table table;
        table.view.setColumnWidth(0, 30);
        table.view.setColumnWidth(3, 300);
        table.key(Qt::Key_Minus, Qt::ControlModifier); // the main keyboard's minus: no
        QCOMPARE(table.view.columnWidth(0), 30);
        table.key(Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(table.view.columnWidth(0), 60);
        QCOMPARE(table.view.columnWidth(3), 90);
    }

    void rowsDragFromTheirColumnAndDropOnAnotherRow() {
        Table table(6);
        QSignalSpy drops(&table.view, &CellTableView::rowsDropped);
        QWidget* rows = table.view.viewport();
        // Rows 1 and 2 selected; dragged by row 1 onto row 4.
        QTest::mouseClick(rows, Qt::LeftButton, {}, table.centreOf(1, 0));
        QTest::mouseClick(rows, Qt::LeftButton, Qt::ShiftModifier, table.centreOf(2, 0));
        auto drag = [&](QPoint start, QPoint to, Qt::KeyboardModifiers atDrop) {
            QTest::mousePress(rows, Qt::LeftButton, {}, start);
            QTest::mouseMove(rows, start + QPoint(0, 12));
            QTest::mouseMove(rows, to);
            QTest::mouseRelease(rows, Qt::LeftButton, atDrop, to);
        };
        drag(table.centreOf(1, 0), table.centreOf(4, 2), {});
        QCOMPARE(drops.count(), 1);
        QCOMPARE(drops.at(0), (QVariantList{QVariant::fromValue(QList<int>{1, 2}), 4, false}));
        QCOMPARE(table.view.currentRow(), 4);
        QCOMPARE(table.view.selectedRowNumbers(), (QList<int>{1, 2}));

        // Control at the drop copies.
        drag(table.centreOf(2, 0), table.centreOf(5, 0), Qt::ControlModifier);
        QCOMPARE(drops.count(), 2);
        QCOMPARE(drops.at(1).at(2).toBool(), true);

        // Outside the rows, or onto the first dragged row: nothing.
        drag(table.centreOf(1, 0), QPoint(table.centreOf(5, 0).x(), rows->height() + 60), {});
        drag(table.centreOf(2, 0), table.centreOf(1, 1), {});
        QCOMPARE(drops.count(), 2);
        QVERIFY(!table.view.isDraggingRows());

        // A press in another column selects instead of dragging.
        drag(table.centreOf(1, 1), table.centreOf(4, 1), {});
        QCOMPARE(drops.count(), 2);
    }
};

} // namespace padsmith::test

QTEST_MAIN(padsmith::test::CellTableViewTest)
#include "CellTableViewTest.moc"
