// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PadMapView.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <algorithm>
#include <cstdlib>

namespace padsmith {

namespace {

constexpr int kVelocities = 127;
constexpr int kEdgeReach = 4;   // pixels either side of an edge that grab it
constexpr int kLaneGap = 2;     // between two lanes
constexpr int kTierMinimum = 6; // below this the map asks for room to scroll
constexpr int kTierPreferred = 22;
constexpr int kFadeStepMs = 30;

} // namespace

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
