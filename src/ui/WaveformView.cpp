// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WaveformView.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace padsmith {

namespace {

constexpr int kDetailsWidth = 150;
constexpr int kMargin = 4;

const QColor kBackground(0x10, 0x10, 0x18);
const QColor kWave(0x6C, 0xC8, 0xFF);
const QColor kAxis(0x40, 0x40, 0x50);
const QColor kSilence(0x50, 0x50, 0x60, 150);
const QColor kClip(0xFF, 0x30, 0x30);
const QColor kPosition(0xFF, 0xE6, 0x3C);

} // namespace

WaveformView::WaveformView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void WaveformView::setContent(WaveformContent content) {
    content_ = std::move(content);
    text_.clear();
    update();
}

void WaveformView::setText(const QString& text) {
    content_ = {};
    text_ = text;
    position_ = -1;
    update();
}

void WaveformView::setPosition(double seconds) {
    if (seconds != position_) {
        position_ = seconds;
        update();
    }
}

QRect WaveformView::waveRect() const {
    return rect().adjusted(kMargin, kMargin, -kDetailsWidth - kMargin, -kMargin);
}

int WaveformView::xOfTime(double seconds) const {
    const QRect wave = waveRect();
    if (content_.seconds <= 0) {
        return wave.left();
    }
    const double share = std::clamp(seconds / content_.seconds, 0.0, 1.0);
    return wave.left() + static_cast<int>(std::lround(share * (wave.width() - 1)));
}

QSize WaveformView::sizeHint() const {
    return {480, 90};
}

QSize WaveformView::minimumSizeHint() const {
    return {kDetailsWidth + 100, 40};
}

void WaveformView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    const QRect wave = waveRect();
    if (content_.channels.isEmpty()) {
        painter.setPen(Qt::gray);
        painter.drawText(wave, Qt::AlignCenter, text_);
        return;
    }
    const auto channels = static_cast<int>(content_.channels.size());
    const int laneHeight = wave.height() / channels;
    for (int c = 0; c < channels; ++c) {
        const QList<EnvelopeBucket>& buckets = content_.channels[c];
        const int top = wave.top() + c * laneHeight;
        const int middle = top + laneHeight / 2;
        const double half = (laneHeight - 2) / 2.0;
        painter.setPen(kAxis);
        painter.drawLine(wave.left(), middle, wave.right(), middle);
        if (buckets.isEmpty()) {
            continue;
        }
        painter.setPen(kWave);
        // Each pixel column takes the extremes of the buckets under it.
        const auto count = static_cast<qsizetype>(buckets.size());
        for (int x = 0; x < wave.width(); ++x) {
            const qsizetype first = count * x / wave.width();
            const qsizetype last = std::max(first + 1, count * (x + 1) / wave.width());
            float low = 0;
            float high = 0;
            for (qsizetype b = first; b < last && b < count; ++b) {
                low = std::min(low, buckets[b].low);
                high = std::max(high, buckets[b].high);
            }
            const int y1 = middle - static_cast<int>(std::lround(high * half));
            const int y2 = middle - static_cast<int>(std::lround(low * half));
            painter.drawLine(wave.left() + x, y1, wave.left() + x, y2);
        }
    }
    if (content_.silentUntil > 0) {
        painter.fillRect(
            QRect(QPoint(wave.left(), wave.top()),
                  QPoint(std::max(wave.left() + 1, xOfTime(content_.silentUntil)), wave.bottom())),
            kSilence);
    }
    painter.setPen(QPen(kClip, 2));
    for (const double clip : content_.clips) {
        const int x = xOfTime(clip);
        painter.drawLine(x, wave.top(), x, wave.bottom());
    }
    if (position_ >= 0) {
        painter.setPen(QPen(kPosition, 1));
        const int x = xOfTime(position_);
        painter.drawLine(x, wave.top(), x, wave.bottom());
    }
    painter.setPen(Qt::white);
    const QRect details(wave.right() + 2 * kMargin, wave.top(), kDetailsWidth - kMargin,
                        wave.height());
    painter.drawText(details, Qt::AlignLeft | Qt::AlignVCenter, content_.details.join('\n'));
}

} // namespace padsmith
