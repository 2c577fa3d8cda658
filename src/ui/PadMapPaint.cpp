// SPDX-License-Identifier: GPL-3.0-or-later
// How the velocity map looks: its colours, the lanes, blocks, hits and the dragged edge's value.
#include "ui/PadMapView.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace padsmith {

namespace {

const QColor kBackground(0x10, 0x10, 0x18);
const QColor kLaneColour(0x22, 0x22, 0x30);
const QColor kGapColour(0x60, 0x18, 0x18);
const QColor kOtherColour(0x38, 0x38, 0x40);
const QColor kScaleColour(0x90, 0x90, 0xA0);

double luminance(const QColor& colour) {
    auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

} // namespace

QColor blockColour(int id) {
    // Hues a golden angle apart, so neighbouring rows never look alike.
    return QColor::fromHsv((id * 137 + 200) % 360, 150, 215);
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableTextOn(const QColor& background) {
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return contrastRatio(black, background) >= contrastRatio(white, background) ? black : white;
}

void PadMapView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    painter.setFont(font());
    if (lanes_.isEmpty()) {
        painter.setPen(kScaleColour);
        painter.drawText(rect(), Qt::AlignCenter, emptyText_);
        return;
    }
    // The velocity scale.
    painter.setPen(kScaleColour);
    QFont small = font();
    small.setPixelSize(9);
    painter.setFont(small);
    for (const int velocity : {1, 32, 64, 96, 127}) {
        const int x = (xOf(velocity) + xOf(velocity + 1)) / 2;
        painter.drawLine(x, kRulerHeight - 3, x, kRulerHeight - 1);
        // The ends' numbers stay inside the map.
        const int left = std::clamp(x - 15, kTitleWidth - 15, width() - 30);
        const QRect label(left, 0, 30, kRulerHeight - 3);
        const Qt::Alignment align = left == width() - 30 ? Qt::AlignRight : Qt::AlignHCenter;
        painter.drawText(label, align | Qt::AlignVCenter, QString::number(velocity));
    }
    painter.setFont(font());
    const QRect visible = rect();
    for (int lane = 0; lane < lanes_.size(); ++lane) {
        const QRect place = laneRect(lane);
        if (place.bottom() >= visible.top() && place.top() <= visible.bottom()) {
            paintLane(painter, lane);
        }
    }
    for (const MapViewBlock& block : blocks_) {
        const QRect place = rectOf(block);
        if (place.bottom() >= visible.top() && place.top() <= visible.bottom()) {
            paintBlock(painter, block);
        }
    }
    paintHits(painter);
    paintDragValue(painter);
}

void PadMapView::paintLane(QPainter& painter, int lane) const {
    const MapViewLane& info = lanes_[lane];
    const QRect place = laneRect(lane);
    painter.fillRect(place, kLaneColour);
    auto fillRanges = [&](const QList<VelocityRange>& ranges, const QBrush& brush) {
        for (const VelocityRange& range : ranges) {
            painter.fillRect(QRect(QPoint(xOf(range.low), place.top()),
                                   QPoint(xOf(range.high + 1) - 1, place.bottom())),
                             brush);
        }
    };
    fillRanges(info.others, QBrush(kOtherColour, Qt::Dense5Pattern));
    fillRanges(info.gaps, kGapColour);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, place.top(), kTitleWidth - 4, place.height()),
                     Qt::AlignRight | Qt::AlignVCenter, info.title);
}

void PadMapView::paintBlock(QPainter& painter, const MapViewBlock& block) const {
    const QRect place = rectOf(block);
    const QColor colour = blockColour(block.id);
    // What plays in full colour; what never plays hatched over a dark shade of it.
    auto part = [&](int low, int high) {
        return QRect(QPoint(xOf(low), place.top()), QPoint(xOf(high + 1) - 1, place.bottom()));
    };
    int next = block.window.low;
    auto hatch = [&](int upTo) {
        if (next < upTo) {
            const QRect silent = part(next, upTo - 1);
            painter.fillRect(silent, colour.darker(250));
            painter.fillRect(silent, QBrush(colour, Qt::BDiagPattern));
        }
    };
    for (const VelocityRange& range : block.plays) {
        hatch(range.low);
        painter.fillRect(part(range.low, range.high), colour);
        next = range.high + 1;
    }
    hatch(block.window.high + 1);
    const bool selected = selected_.contains(block.id);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(selected ? QPen(Qt::white, 2) : QPen(colour.darker(180), 1));
    painter.drawRect(selected ? place.adjusted(1, 1, -1, -1) : place.adjusted(0, 0, -1, -1));
    paintLabel(painter, block, block.plays.isEmpty() ? colour.darker(250) : colour);
}

void PadMapView::paintLabel(QPainter& painter, const MapViewBlock& block,
                            const QColor& fill) const {
    const QRect place = rectOf(block);
    if (place.width() <= 24 || place.height() < painter.fontMetrics().height()) {
        return;
    }
    painter.setPen(readableTextOn(fill));
    const QRect text = place.adjusted(4, 0, -4, 0);
    // Eliding means laying the text out: once per block and width.
    auto& [width, label] = elided_[block.id];
    if (width != text.width() || label.isNull()) {
        width = text.width();
        label = painter.fontMetrics().elidedText(block.label, Qt::ElideRight, width);
    }
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, label);
}

void PadMapView::paintDragValue(QPainter& painter) const {
    if (drag_.id < 0) {
        return;
    }
    const QRect block = blockRect(drag_.id);
    if (block.isNull()) {
        return;
    }
    // The edge stands after the window's last velocity, or before its first.
    const int x = drag_.highEdge ? xOf(drag_.velocity + 1) : xOf(drag_.velocity);
    const QString text = QString::number(drag_.velocity);
    const QFontMetrics metrics = painter.fontMetrics();
    QRect box(0, 0, metrics.horizontalAdvance(text) + 8, metrics.height() + 2);
    box.moveCenter(QPoint(x, block.top() - box.height() / 2 - 1));
    if (box.top() < 0) {
        box.moveTop(block.bottom() + 2);
    }
    box.moveLeft(std::clamp(box.left(), 0, std::max(0, width() - box.width())));
    painter.fillRect(box, Qt::black);
    painter.setPen(Qt::white);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.drawText(box, Qt::AlignCenter, text);
}

void PadMapView::paintHits(QPainter& painter) const {
    for (const Hit& hit : hits_) {
        const double left = 1.0 - static_cast<double>(hit.age.elapsed()) / kHitFadeMs;
        if (left <= 0) {
            continue;
        }
        const int alpha = static_cast<int>(255 * left);
        if (hit.id >= 0) {
            const QRect block = blockRect(hit.id);
            const QColor flash(255, 255, 255, alpha / 2);
            painter.fillRect(block, flash);
            // The name stays readable on the lit block: drawn again over the flash.
            for (const MapViewBlock& lit : blocks_) {
                if (lit.id == hit.id) {
                    const QColor base = blockColour(lit.id);
                    const double a = flash.alphaF();
                    const QColor shown =
                        QColor::fromRgbF(base.redF() * (1 - a) + a, base.greenF() * (1 - a) + a,
                                         base.blueF() * (1 - a) + a);
                    paintLabel(painter, lit, shown);
                }
            }
        }
        const QRect lane = laneRect(hit.lane);
        const int x = (xOf(hit.velocity) + xOf(hit.velocity + 1)) / 2;
        painter.setPen(QPen(QColor(255, 230, 60, alpha), 3));
        painter.drawLine(x, lane.top() - 1, x, lane.bottom() + 1);
    }
}

} // namespace padsmith
