#include "ui/ZoneListView.h"

#include "kit/ZoneColumns.h"

#include <QHeaderView>
#include <QPainterPath>
#include <QRegion>
#include <QStringList>

namespace padsmith {

const QColor ZoneListView::kBackground(0x37, 0x37, 0xFF);
const QColor ZoneListView::kText(Qt::white);

namespace {

Qt::Alignment alignmentOf(const ZoneColumnInfo& column) {
    return column.align == ZoneColumnInfo::Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft;
}

QFont tahoma(int pixels) {
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixels);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

QFont zoneRowFont() {
    return tahoma(11);
}
QFont zoneHeaderFont() {
    return tahoma(9);
}

ZoneListView::ZoneListView(QWidget* parent) : QTableWidget(0, ColumnCount, parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSortingEnabled(false);
    setShowGrid(true);
    setWordWrap(false);
    setFrameShape(QFrame::NoFrame);
    setFont(zoneRowFont());
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(QFontMetrics(zoneRowFont()).height() + 4);
    setIconSize(QSize(16, 16));

    QHeaderView* header = horizontalHeader();
    header->setFont(zoneHeaderFont());
    header->setSectionsClickable(false);
    header->setSortIndicatorShown(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < ColumnCount; ++column) {
        const ZoneColumnInfo& info = zoneColumns()[static_cast<std::size_t>(column)];
        auto* item = new QTableWidgetItem(QString::fromLatin1(info.title));
        item->setTextAlignment(alignmentOf(info) | Qt::AlignVCenter);
        setHorizontalHeaderItem(column, item);
        header->resizeSection(column, info.width);
    }
    setBackgroundColour(kBackground);
}

Qt::Alignment ZoneListView::columnAlignment(int column) {
    if (column < 0 || column >= ColumnCount) {
        return Qt::AlignLeft;
    }
    return alignmentOf(zoneColumns()[static_cast<std::size_t>(column)]);
}

void ZoneListView::setBackgroundColour(const QColor& colour) {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, colour);
    colours.setColor(QPalette::AlternateBase, colour);
    colours.setColor(QPalette::Window, colour);
    colours.setColor(QPalette::Text, kText);
    colours.setColor(QPalette::WindowText, kText);
    setPalette(colours);
    viewport()->update();
}

QColor ZoneListView::backgroundColour() const {
    return palette().color(QPalette::Base);
}

void ZoneListView::resizeEvent(QResizeEvent* event) {
    QTableWidget::resizeEvent(event);
    // Rounded corners, 6 x 6 pixel corner ellipses.
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), 3.0, 3.0);
    setMask(QRegion(outline.toFillPolygon().toPolygon()));
}

} // namespace padsmith
