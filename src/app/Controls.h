// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <functional>

namespace padsmith {

// A PNG picture of the program's resources, drawn from its twice-as-large copy ("name@2x.png") on
// screens scaled beyond 100 %. With `size`, scaled to fit that many logical pixels.
QPixmap sharpPixmap(const QString& path, QSize size = {});
// The same picture as an icon, which takes the twice-as-large copy too on such screens.
QIcon sharpIcon(const QString& path);

// A static text or picture that reports clicks (the kit name, the sample folder, the pad
// names, the program picture).
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // A text wider than the label is drawn cut with "..." (text() keeps all of it), so that it
    // stays within its place instead of running over its neighbours. With `room` (pixels), the
    // text is cut to that width even where the label is wider: labels that overlap their
    // neighbours' places keep their texts apart.
    void setElided(bool elided, int room = 0);
    // The text as drawn.
    QString shownText() const;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool elided_ = false;
    int room_ = 0;
};

// A pad of the pad panel: its picture at rest or pressed, at the picture's natural size, and
// for the current pad a marker: green, blue while the zone list has the focus, and while
// pressed red (pad with zones) or yellow (empty pad), one pixel lower. A pad lit by a note
// glows for a moment.
class PadButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Marker { None, PadFocus, ListFocus };

    PadButton(int pad, QWidget* parent);

    int pad() const { return pad_; }
    QSize sizeHint() const override;

    // Asked before a click or a right click takes the pad: false leaves the click unanswered
    // (an edit elsewhere could not be ended).
    void setStrikeGuard(std::function<bool()> guard) { strikeGuard_ = std::move(guard); }

    void setMarker(Marker marker, bool hasZones);
    Marker marker() const { return marker_; }
    // The marker's fill as drawn now; invalid when the pad shows none.
    QColor markerColour() const;
    QRect markerRect() const;

    // Glows for `milliseconds`, as a note on the pad sounds.
    void light(int milliseconds);
    bool lit() const { return lit_; }

    // The two pictures shared by every pad.
    static const QPixmap& restImage();
    static const QPixmap& pressedImage();

signals:
    void focused(int pad);
    // Left button down or double click, after the button took the focus.
    void struck(int pad);
    void menuRequested(int pad, const QPoint& globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool strikeAllowed() const { return !strikeGuard_ || strikeGuard_(); }

    int pad_;
    std::function<bool()> strikeGuard_;
    Marker marker_ = Marker::None;
    bool hasZones_ = false;
    bool lit_ = false;
    QTimer* litTimer_ = nullptr;
};

} // namespace padsmith
