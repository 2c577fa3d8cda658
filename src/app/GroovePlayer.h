// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/Groove.h"
#include "audio/GrooveZones.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

namespace padsmith {

class KitDocument;

// Plays a groove (or a pad's velocity sweep) through the kit in the editor: each note-on, at
// its time, plays the zone that a MIDI note would play and is then reported, so the window can
// mark it. The kit is looked at note by note, so an edit made while the groove plays is heard
// at the next note. A loop goes on until stop(). Notes are handed to the output as they fall
// due on this thread's event loop; when the loop was held up for longer than kLateMs, the
// groove goes on from the note it was at, later, rather than playing the missed notes in a
// burst.
class GroovePlayer : public QObject {
    Q_OBJECT
public:
    static constexpr int kLateMs = 60;
    // The rate the player times grooves at.
    static constexpr int kClockRate = 48000;

    using PlayZone = std::function<void(const ZonePlay& zone)>;
    // `kit` must outlive the player; `play` sounds a zone on the editor's output.
    GroovePlayer(const KitDocument& kit, PlayZone play, QObject* parent = nullptr);
    ~GroovePlayer() override;

    // Plays `groove` (timed at kClockRate) from its start, `passes` times (0: until stopped);
    // with `pad`, only that pad's zones answer. Whatever played before stops.
    void start(Groove groove, int passes, std::optional<int> pad = std::nullopt);
    void stop();
    bool playing() const { return cursor_ != nullptr; }

signals:
    // A note-on fell due; `zone` is the zone it played (pad -1 when none answers it).
    void notePlayed(int note, int velocity, int pad, int row);
    // The last pass has ended, or stop() was called.
    void stopped();

private:
    void playDue();

    const KitDocument& kit_;
    PlayZone play_;
    Groove groove_;
    std::unique_ptr<GrooveCursor> cursor_;
    std::optional<int> pad_;
    QElapsedTimer clock_;
    qint64 held_ = 0; // nanoseconds the groove waited for a held-up event loop
    QTimer timer_;
};

} // namespace padsmith
