// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/GroovePlayer.h"

#include <algorithm>

namespace padsmith {

namespace {

qint64 nanosecondsOf(std::uint64_t frame) {
    return static_cast<qint64>(frame * 1'000'000'000ULL / GroovePlayer::kClockRate);
}

} // namespace

GroovePlayer::GroovePlayer(const KitDocument& kit, PlayZone play, QObject* parent)
    : QObject(parent), kit_(kit), play_(std::move(play)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &GroovePlayer::playDue);
}

GroovePlayer::~GroovePlayer() = default;

void GroovePlayer::start(Groove groove, int passes, std::optional<int> pad) {
    timer_.stop();
    groove_ = std::move(groove);
    cursor_ = std::make_unique<GrooveCursor>(groove_, passes);
    pad_ = pad;
    held_ = 0;
    clock_.start();
    playDue();
}

void GroovePlayer::stop() {
    if (!cursor_) {
        return;
    }
    timer_.stop();
    cursor_.reset();
    emit stopped();
}

void GroovePlayer::playDue() {
    if (!cursor_) {
        return;
    }
    std::optional<GrooveHit> hit = cursor_->peek();
    qint64 now = clock_.nsecsElapsed() - held_;
    if (hit && now - nanosecondsOf(hit->frame) > qint64{kLateMs} * 1'000'000) {
        // The event loop was held up: the groove waits with it rather than catching up.
        held_ += now - nanosecondsOf(hit->frame);
        now = nanosecondsOf(hit->frame);
    }
    while (hit && nanosecondsOf(hit->frame) <= now) {
        cursor_->take();
        const std::optional<ZonePlay> zone = zonePlayed(kit_, hit->note, hit->velocity, pad_);
        if (zone) {
            play_(*zone);
        }
        emit notePlayed(hit->note, hit->velocity, zone ? zone->zone.pad : -1,
                        zone ? zone->zone.position : -1);
        if (!cursor_) {
            return; // stopped by whoever heard of the note
        }
        hit = cursor_->peek();
    }
    if (!hit) {
        // The last pass ends the player when a loop would start the next one.
        const qint64 end = nanosecondsOf(cursor_->endFrame());
        if (now >= end) {
            stop();
            return;
        }
        timer_.start(static_cast<int>((end - now) / 1'000'000));
        return;
    }
    const qint64 wait = (nanosecondsOf(hit->frame) - now + 999'999) / 1'000'000;
    timer_.start(static_cast<int>(std::clamp<qint64>(wait, 0, 60'000)));
}

} // namespace padsmith
