// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AnimationControl.h"

#include <QPainter>
#include <algorithm>

namespace padsmith {

AnimationControl::AnimationControl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents); // clicks reach the picture below
    setAutoFillBackground(false);
    timer_.setInterval(kFrameMs);
    connect(&timer_, &QTimer::timeout, this, &AnimationControl::step);
    resize(sizeHint());
}

QSize AnimationControl::sizeHint() const {
    return {64, 40};
}

void AnimationControl::play() {
    showFrame(0);
    timer_.start();
}

void AnimationControl::showFrame(int frame) {
    frame_ = std::clamp(frame, 0, kFrameCount - 1);
    update();
}

void AnimationControl::step() {
    if (frame_ + 1 >= kFrameCount) {
        timer_.stop();
        return;
    }
    showFrame(frame_ + 1);
}

void AnimationControl::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(width() / 2.0, height() * 0.62);
    // Frame 0 is the resting picture; the strike lands on frame 1 and its rings spread and
    // fade over the frames after it.
    if (frame_ == 0) {
        return;
    }
    const double progress = static_cast<double>(frame_) / (kFrameCount - 1);
    for (int ring = 0; ring < 3; ++ring) {
        const double spread = progress - ring * 0.18;
        if (spread <= 0.0) {
            continue;
        }
        const double rx = 6.0 + spread * (width() / 2.0 - 6.0);
        const double ry = rx * 0.45;
        QColor colour(255, 230, 120);
        colour.setAlphaF(std::clamp(1.0 - spread, 0.0, 1.0));
        painter.setPen(QPen(colour, 2.0 - ring * 0.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(centre, rx, ry);
    }
    if (frame_ <= 3) {
        QColor flash(255, 255, 255);
        flash.setAlphaF(1.0 - frame_ / 4.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(flash);
        painter.drawEllipse(centre, 5.0, 2.5);
    }
}

} // namespace padsmith
