#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QTableWidget>

namespace padsmith {

// The list of the current pad's zones: eight columns on a blue ground with white text, grid
// lines and whole-row selection.
class ZoneListView : public QTableWidget {
    Q_OBJECT
public:
    enum Column {
        SampleColumn,
        KeyColumn,
        VelocityColumn,
        VoicesColumn,
        GroupColumn,
        KeyRangeColumn,
        VolumeColumn,
        SourceFolderColumn,
        ColumnCount
    };

    static const QColor kBackground; // red 0x37, green 0x37, blue 0xFF
    static const QColor kText;

    explicit ZoneListView(QWidget* parent = nullptr);

    static Qt::Alignment columnAlignment(int column);
    // Every column but the source folder is edited in place.
    static bool columnEditable(int column) { return column != SourceFolderColumn; }

    // The list's ground; black while the shared sample folder is being cleaned.
    void setBackgroundColour(const QColor& colour);
    QColor backgroundColour() const;

    // The small picture at the start of each row.
    void setRowIcon(const QIcon& icon) { rowIcon_ = icon; }
    const QIcon& rowIcon() const { return rowIcon_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QIcon rowIcon_;
};

// The fonts of the zone list: rows "Tahoma" 11 pixels, header "Tahoma" 9 pixels (or the
// closest font present).
QFont zoneRowFont();
QFont zoneHeaderFont();

} // namespace padsmith
