#include "ui/ZoneListView.h"

#include <QHeaderView>
#include <QTest>

namespace padsmith::test {

class ZoneListViewTest : public QObject {
    Q_OBJECT

private slots:
    void columnsColoursAndFonts() {
        ZoneListView list;
        const QStringList headings{"Sample",
                                   "Key",
                                   "Velocity",
                                   "Voices",
                                   "Group",
                                   "Key Range",
                                   "Vol.L/R (-12dB-+24dB)",
                                   "Source Folder"};
        const QList<int> widths{200, 35, 60, 40, 40, 70, 110, 1024};
        QCOMPARE(list.columnCount(), 8);
        for (int column = 0; column < 8; ++column) {
            QCOMPARE(list.horizontalHeaderItem(column)->text(), headings.at(column));
            QCOMPARE(list.horizontalHeader()->sectionSize(column), widths.at(column));
        }
        QCOMPARE(ZoneListView::columnAlignment(ZoneListView::VoicesColumn), Qt::AlignHCenter);
        QCOMPARE(ZoneListView::columnAlignment(ZoneListView::SourceFolderColumn), Qt::AlignLeft);
        QVERIFY(!ZoneListView::columnEditable(ZoneListView::SourceFolderColumn));
        QVERIFY(!list.horizontalHeader()->sectionsClickable());
        QCOMPARE(list.backgroundColour(), QColor(0x37, 0x37, 0xFF));
        QCOMPARE(list.palette().color(QPalette::Text), QColor(Qt::white));
        QCOMPARE(list.font().pixelSize(), 11);
        QCOMPARE(list.horizontalHeader()->font().pixelSize(), 9);

        list.setBackgroundColour(Qt::black);
        QCOMPARE(list.backgroundColour(), QColor(Qt::black));
    }
};

} // namespace padsmith::test

QTEST_MAIN(padsmith::test::ZoneListViewTest)
#include "ZoneListViewTest.moc"
