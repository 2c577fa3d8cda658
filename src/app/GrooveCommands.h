// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Dialogs.h"
#include "app/GroovePlayer.h"

#include <QObject>
#include <QString>

class QWidget;

namespace padsmith {

class KitDocument;
class SettingsStore;

// Hearing the kit play in the editor. Pad › "Play Groove…" asks for a MIDI file and loops it
// through the kit until the same command (or Escape) stops it; a MIDI file dropped onto the
// window does the same without the dialog. Pad › "Play Velocity Sweep" plays the current pad at
// velocities 8, 16, … 127, a quarter second apart, once. Starting one stops the other.
class GrooveCommands : public QObject {
    Q_OBJECT
public:
    enum class Playing { Nothing, Groove, Sweep };

    // `kit` must outlive the commands; `play` sounds a zone on the editor's output; `owner`
    // (may be null) owns the dialog and the messages.
    GrooveCommands(const KitDocument& kit, SettingsStore& settings, GroovePlayer::PlayZone play,
                   QWidget* owner);

    void playGroove();
    // Plays the groove in `path`; says why (and returns false) when it cannot be played.
    bool playGrooveFile(const QString& path);
    void playSweep();
    void stop();
    Playing playing() const { return playing_; }
    // The file of the groove that plays, empty when none does.
    const QString& groovePath() const { return groovePath_; }
    GroovePlayer& player() { return player_; }

    static FileFilter grooveFilter();
    // A file a drop hands to playGrooveFile: a MIDI file, by its name.
    static bool isGrooveFile(const QString& path);

signals:
    // A note of the groove or the sweep fell due: the zone it played (pad -1 when none).
    void notePlayed(int note, int velocity, int pad, int row);
    // Something started or stopped playing.
    void playingChanged();

private:
    void start(Groove groove, Playing what, int passes, std::optional<int> pad);

    const KitDocument& kit_;
    SettingsStore& settings_;
    QWidget* owner_;
    GroovePlayer player_;
    Playing playing_ = Playing::Nothing;
    QString groovePath_;
};

} // namespace padsmith
