// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <QTimer>
#include <QWidget>

namespace padsmith {

// Velocities low to high, both included (1 to 127).
struct VelocityRange {
    int low = 1;
    int high = 127;
    bool operator==(const VelocityRange&) const = default;
};

// A row of the map: one key, velocity 1 to 127 across.
struct MapViewLane {
    QString title;               // the key's name, left of the lane
    int tiers = 1;               // rows of blocks in the lane
    QList<VelocityRange> gaps;   // velocities nothing plays
    QList<VelocityRange> others; // velocities something not on the map plays
};

// A block on a lane: its velocity window, the parts of it that really play (the rest is
// hatched), a label and a tooltip. `id` is the caller's (a row number).
struct MapViewBlock {
    int id = 0;
    int lane = 0;
    int tier = 0;
    VelocityRange window;
    QList<VelocityRange> plays;
    QString label;
    QString toolTip;
};

// A map of velocity windows: lanes one under the other, velocity 1 to 127 from left to right,
// blocks that can be clicked and whose edges can be dragged. Hits (a MIDI note-on, say) are
// marked on their lane and fade over a second. It stores nothing but what it is given.
class PadMapView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHitFadeMs = 1000;

    explicit PadMapView(QWidget* parent = nullptr);

    // Replaces what is drawn. An edge drag that goes on keeps going (its block keeps its id).
    void setContent(QList<MapViewLane> lanes, QList<MapViewBlock> blocks);
    const QList<MapViewLane>& lanes() const { return lanes_; }
    const QList<MapViewBlock>& blocks() const { return blocks_; }
    // The blocks drawn as selected.
    void setSelected(const QList<int>& ids);
    // A text shown when there are no lanes.
    void setEmptyText(const QString& text);

    // Marks `velocity` on `lane` (and flashes block `id`, unless it is -1); it fades out.
    void showHit(int lane, int velocity, int id);
    int hitsShown() const { return static_cast<int>(hits_.size()); }

    // Where things are drawn, for the mouse and for tests: the x of the left edge of a
    // velocity (128 is the right end), the velocity under an x, a lane's rectangle, a block's.
    int xOf(int velocity) const;
    int velocityAt(int x) const;
    QRect laneRect(int lane) const;
    QRect blockRect(int id) const;
    bool isDragging() const { return drag_.id >= 0; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A press on a lane, outside a block's edge.
    void clicked(int lane, int velocity, Qt::KeyboardModifiers modifiers);
    // An edge of block `id` follows the mouse: its new velocity (the last one of the window
    // for the high edge, the first one for the low edge). Released: dragFinished.
    void edgeMoved(int id, bool highEdge, int velocity);
    void dragFinished(int id, bool highEdge, int velocity);
    // Escape during a drag: nothing changes.
    void dragCancelled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    static constexpr int kTitleWidth = 40;  // the key names left of the lanes
    static constexpr int kRulerHeight = 14; // the velocity scale above them

    struct Hit {
        int lane = 0;
        int velocity = 0;
        int id = -1;
        QElapsedTimer age;
    };
    struct Drag {
        int id = -1;
        bool highEdge = false;
        int velocity = 0;
    };

    int totalTiers() const;
    // Places the lanes for the present size and content.
    void relayout();
    int tierHeight() const { return tierHeight_; }
    int laneTop(int lane) const;
    const MapViewBlock* blockById(int id) const;
    QRect rectOf(const MapViewBlock& block) const;
    const MapViewBlock* blockAt(const QPoint& place) const;
    int laneAt(int y) const;
    // The block edge within reach of `place`: the block's id (or -1) and which edge.
    std::pair<int, bool> edgeAt(const QPoint& place) const;
    int edgeVelocity(int x, bool highEdge) const;
    void paintLane(QPainter& painter, int lane) const;
    void paintBlock(QPainter& painter, const MapViewBlock& block) const;
    void paintHits(QPainter& painter) const;
    // A block's name over its fill, in the colour that reads on `fill`.
    void paintLabel(QPainter& painter, const MapViewBlock& block, const QColor& fill) const;
    // The velocity at the dragged edge, beside it.
    void paintDragValue(QPainter& painter) const;
    void fadeHits();

    QList<MapViewLane> lanes_;
    QList<MapViewBlock> blocks_;
    QList<int> selected_;
    QString emptyText_;
    QList<Hit> hits_;
    QTimer fade_;
    Drag drag_;
    int tierHeight_ = 22;
    mutable QHash<int, std::pair<int, QString>> elided_; // block id: width, label cut to it
    QList<int> laneTops_;
};

// The fill of block `id`: a colour of its own for each of neighbouring ids.
QColor blockColour(int id);

// The contrast ratio of two colours as the web's accessibility guidelines define it (1 to 21).
double contrastRatio(const QColor& a, const QColor& b);
// Black or white, whichever reads better on `background` (at least 4.5:1 whatever it is).
QColor readableTextOn(const QColor& background);

} // namespace padsmith
