// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PadMapView.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace padsmith {

namespace {

constexpr int kVelocities = 127;
constexpr int kTitleWidth = 40;  // the key names left of the lanes
constexpr int kRulerHeight = 14; // the velocity scale above them
constexpr int kEdgeReach = 4;    // pixels either side of an edge that grab it
constexpr int kLaneGap = 2;      // between two lanes
constexpr int kTierMinimum = 6;  // below this the map asks for room to scroll
constexpr int kTierPreferred = 22;
constexpr int kFadeStepMs = 30;

const QColor kBackground(0x10, 0x10, 0x18);
const QColor kLaneColour(0x22, 0x22, 0x30);
const QColor kGapColour(0x60, 0x18, 0x18);
const QColor kOtherColour(0x38, 0x38, 0x40);
const QColor kScaleColour(0x90, 0x90, 0xA0);

} // namespace

QColor blockColour(int id) {
    // Hues a golden angle apart, so neighbouring rows never look alike.
    return QColor::fromHsv((id * 137 + 200) % 360, 150, 215);
}

namespace {

double luminance(const QColor& colour) {
    auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

} // namespace

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

PadMapView::PadMapView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    fade_.setInterval(kFadeStepMs);
    connect(&fade_, &QTimer::timeout, this, &PadMapView::fadeHits);
}

void PadMapView::setContent(QList<MapViewLane> lanes, QList<MapViewBlock> blocks) {
    const bool resized = totalTiers() != [&] {
        int tiers = 0;
        for (const MapViewLane& lane : lanes) {
            tiers += std::max(1, lane.tiers);
        }
        return tiers;
    }();
    lanes_ = std::move(lanes);
    blocks_ = std::move(blocks);
    elided_.clear();
    relayout();
    if (drag_.id >= 0 && blockById(drag_.id) == nullptr) {
        drag_ = {};
        unsetCursor();
    }
    if (resized) {
        updateGeometry();
    }
    update();
}

void PadMapView::setSelected(const QList<int>& ids) {
    if (ids != selected_) {
        selected_ = ids;
        update();
    }
}

void PadMapView::setEmptyText(const QString& text) {
    emptyText_ = text;
    update();
}

void PadMapView::showHit(int lane, int velocity, int id) {
    if (lane < 0 || lane >= lanes_.size()) {
        return;
    }
    Hit hit;
    hit.lane = lane;
    hit.velocity = std::clamp(velocity, 1, kVelocities);
    hit.id = id;
    hit.age.start();
    hits_.append(hit);
    if (!fade_.isActive()) {
        fade_.start();
    }
    update();
}

void PadMapView::fadeHits() {
    // Only the lanes with hits are drawn again.
    QRegion fading;
    for (const Hit& hit : hits_) {
        fading += laneRect(hit.lane).adjusted(0, -2, 0, 2);
    }
    hits_.removeIf([](const Hit& hit) { return hit.age.elapsed() >= kHitFadeMs; });
    if (hits_.isEmpty()) {
        fade_.stop();
    }
    update(fading);
}

int PadMapView::totalTiers() const {
    int tiers = 0;
    for (const MapViewLane& lane : lanes_) {
        tiers += std::max(1, lane.tiers);
    }
    return tiers;
}

void PadMapView::relayout() {
    const int tiers = totalTiers();
    const int room = height() - kRulerHeight - kLaneGap * static_cast<int>(lanes_.size());
    tierHeight_ =
        tiers == 0 ? kTierPreferred : std::clamp(room / tiers, kTierMinimum, kTierPreferred);
    laneTops_.clear();
    int top = kRulerHeight;
    for (const MapViewLane& lane : lanes_) {
        laneTops_.append(top);
        top += std::max(1, lane.tiers) * tierHeight_ + kLaneGap;
    }
}

int PadMapView::laneTop(int lane) const {
    return lane >= 0 && lane < laneTops_.size() ? laneTops_[lane] : kRulerHeight;
}

void PadMapView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

int PadMapView::xOf(int velocity) const {
    const int span = std::max(1, width() - kTitleWidth - 1);
    return kTitleWidth + (std::clamp(velocity, 1, kVelocities + 1) - 1) * span / kVelocities;
}

int PadMapView::velocityAt(int x) const {
    const int span = std::max(1, width() - kTitleWidth - 1);
    return std::clamp((x - kTitleWidth) * kVelocities / span + 1, 1, kVelocities);
}

QRect PadMapView::laneRect(int lane) const {
    if (lane < 0 || lane >= lanes_.size()) {
        return {};
    }
    return {QPoint(xOf(1), laneTop(lane)),
            QPoint(xOf(kVelocities + 1) - 1,
                   laneTop(lane) + std::max(1, lanes_[lane].tiers) * tierHeight() - 1)};
}

QRect PadMapView::blockRect(int id) const {
    const MapViewBlock* block = blockById(id);
    return block == nullptr ? QRect() : rectOf(*block);
}

QRect PadMapView::rectOf(const MapViewBlock& block) const {
    if (block.lane < 0 || block.lane >= lanes_.size()) {
        return {};
    }
    const int tier = tierHeight();
    const int top = laneTop(block.lane) + block.tier * tier;
    return {QPoint(xOf(block.window.low), top),
            QPoint(xOf(block.window.high + 1) - 1, top + tier - 2)};
}

const MapViewBlock* PadMapView::blockById(int id) const {
    const auto found = std::find_if(blocks_.begin(), blocks_.end(),
                                    [id](const MapViewBlock& block) { return block.id == id; });
    return found == blocks_.end() ? nullptr : &*found;
}

const MapViewBlock* PadMapView::blockAt(const QPoint& place) const {
    for (const MapViewBlock& block : blocks_) {
        if (rectOf(block).contains(place)) {
            return &block;
        }
    }
    return nullptr;
}

int PadMapView::laneAt(int y) const {
    for (int lane = 0; lane < lanes_.size(); ++lane) {
        const QRect rect = laneRect(lane);
        if (y >= rect.top() && y <= rect.bottom() + kLaneGap) {
            return lane;
        }
    }
    return -1;
}

std::pair<int, bool> PadMapView::edgeAt(const QPoint& place) const {
    // The nearest edge within reach, among the blocks of the tier under the mouse.
    int best = -1;
    bool bestHigh = false;
    int bestDistance = kEdgeReach + 1;
    for (const MapViewBlock& block : blocks_) {
        const QRect rect = rectOf(block);
        if (place.y() < rect.top() || place.y() > rect.bottom()) {
            continue;
        }
        for (const bool high : {false, true}) {
            const int edgeX = high ? rect.right() + 1 : rect.left();
            const int distance = std::abs(place.x() - edgeX);
            if (distance < bestDistance) {
                best = block.id;
                bestHigh = high;
                bestDistance = distance;
            }
        }
    }
    return {best, bestHigh};
}

int PadMapView::edgeVelocity(int x, bool highEdge) const {
    // The boundary nearest to x: velocities left of it end the window, right of it begin it.
    const int span = std::max(1, width() - kTitleWidth - 1);
    const int boundary =
        std::clamp(((x - kTitleWidth) * kVelocities + span / 2) / span, 0, kVelocities);
    return std::clamp(highEdge ? boundary : boundary + 1, 1, kVelocities);
}

QSize PadMapView::sizeHint() const {
    return {480, kRulerHeight + std::max(2, totalTiers()) * kTierPreferred};
}

QSize PadMapView::minimumSizeHint() const {
    return {kTitleWidth + 2 * kVelocities / 2, kRulerHeight + totalTiers() * kTierMinimum +
                                                   kLaneGap * static_cast<int>(lanes_.size())};
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

void PadMapView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint place = event->position().toPoint();
    const auto [id, high] = edgeAt(place);
    if (id >= 0) {
        drag_ = {id, high, edgeVelocity(place.x(), high)};
        update(); // the velocity at the edge
        return;
    }
    const int lane = laneAt(place.y());
    if (lane >= 0 && place.x() >= kTitleWidth) {
        emit clicked(lane, velocityAt(place.x()), event->modifiers());
    }
}

void PadMapView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint place = event->position().toPoint();
    if (drag_.id >= 0) {
        const int velocity = edgeVelocity(place.x(), drag_.highEdge);
        if (velocity != drag_.velocity) {
            drag_.velocity = velocity;
            emit edgeMoved(drag_.id, drag_.highEdge, velocity);
            update();
        }
        return;
    }
    if (edgeAt(place).first >= 0) {
        setCursor(Qt::SizeHorCursor);
    } else {
        unsetCursor();
    }
}

void PadMapView::mouseReleaseEvent(QMouseEvent* event) {
    if (drag_.id >= 0 && event->button() == Qt::LeftButton) {
        const Drag done = drag_;
        drag_ = {};
        update();
        emit dragFinished(done.id, done.highEdge,
                          edgeVelocity(event->position().toPoint().x(), done.highEdge));
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void PadMapView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && drag_.id >= 0) {
        drag_ = {};
        unsetCursor();
        emit dragCancelled();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool PadMapView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    const auto* help = static_cast<QHelpEvent*>(event);
    QString text;
    if (const MapViewBlock* block = blockAt(help->pos())) {
        text = block->toolTip;
    } else if (const int lane = laneAt(help->pos().y()); lane >= 0) {
        const int velocity = velocityAt(help->pos().x());
        const MapViewLane& info = lanes_[lane];
        auto holds = [velocity](const QList<VelocityRange>& ranges) {
            return std::any_of(ranges.begin(), ranges.end(), [velocity](const VelocityRange& r) {
                return r.low <= velocity && velocity <= r.high;
            });
        };
        if (holds(info.gaps)) {
            text = tr("Nothing plays %1 at velocity %2").arg(info.title).arg(velocity);
        } else if (holds(info.others)) {
            text = tr("Another pad plays %1 at velocity %2").arg(info.title).arg(velocity);
        }
    }
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), text, this);
    }
    return true;
}

} // namespace padsmith
