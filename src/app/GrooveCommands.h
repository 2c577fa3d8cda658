// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Commands.h"
#include "app/Dialogs.h"
#include "app/GroovePlayer.h"

#include <QObject>
#include <QString>

class QWidget;

namespace padsmith {

class Audition;
class KitDocument;
class SettingsStore;

// Hearing the kit play in the editor. Pad › "Play Groove…" asks for a MIDI file and loops it
// through the kit until the same command (or Escape) stops it; a MIDI file dropped onto the
// window does the same without the dialog. Pad › "Play Velocity Sweep" plays the current pad at
// velocities 8, 16, … 127, a quarter second apart, once. Starting one stops the other. The notes
// sound as MIDI notes do, together with what else plays.
class GrooveCommands : public QObject, public CommandRunner {
    Q_OBJECT
public:
    enum class Playing { Nothing, Groove, Sweep };

    struct Services {
        QWidget& owner; // of the dialog and the messages
        const KitDocument& kit;
        SettingsStore& settings; // the dialog's folder
        Audition& audition;
    };
    explicit GrooveCommands(Services services);

    // Play Groove…, Play Velocity Sweep, and the stop (Escape).
    void run(CommandId id, int index) override;

    void playGroove();
    // Plays the groove in `path` until stopped; says why (and returns false) when it cannot.
    bool playGrooveFile(const QString& path);
    void playSweep();
    void stop();
    Playing playing() const { return playing_; }
    // The file of the groove that plays, empty when none does.
    const QString& groovePath() const { return groovePath_; }

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

    Services s_;
    GroovePlayer player_;
    Playing playing_ = Playing::Nothing;
    QString groovePath_;
};

} // namespace padsmith
