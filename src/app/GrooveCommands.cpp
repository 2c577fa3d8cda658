// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/GrooveCommands.h"

#include "app/Audition.h"
#include "app/FileDialog.h"
#include "app/Services.h"
#include "app/Text.h"
#include "audio/MidiFile.h"
#include "kit/KitDocument.h"

#include <QFileInfo>
#include <QWidget>

namespace padsmith {

GrooveCommands::GrooveCommands(Services services)
    : QObject(&services.owner), s_(services),
      player_(
          services.kit,
          [&audition = services.audition](const ZonePlay& zone) { audition.playZone(zone); },
          this) {
    connect(&player_, &GroovePlayer::notePlayed, this, &GrooveCommands::notePlayed);
    connect(&player_, &GroovePlayer::stopped, this, [this] {
        playing_ = Playing::Nothing;
        groovePath_.clear();
        emit playingChanged();
    });
}

FileFilter GrooveCommands::grooveFilter() {
    return {QStringLiteral("MIDI Groove (*.mid)"), QStringLiteral("*.mid;*.midi")};
}

bool GrooveCommands::isGrooveFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("mid") || suffix == QLatin1String("midi");
}

void GrooveCommands::run(CommandId id, int /*index*/) {
    switch (id) {
    case CommandId::PlayGroove:
        playGroove();
        break;
    case CommandId::PlayVelocitySweep:
        playSweep();
        break;
    case CommandId::StopGroove:
        stop();
        break;
    default:
        break;
    }
}

void GrooveCommands::playGroove() {
    if (playing_ == Playing::Groove) {
        stop();
        return;
    }
    FileDialog dialog(s_.settings, grooveFilter(), QStringLiteral("Play Groove"));
    if (dialog.showOpen(&s_.owner)) {
        playGrooveFile(dialog.path());
    }
}

bool GrooveCommands::playGrooveFile(const QString& path) {
    const MidiReadResult read = readMidiFile(toFsPath(path));
    GrooveResult timed;
    if (read.file) {
        timed = timeGroove(*read.file, GroovePlayer::kClockRate);
    }
    if (!timed.groove) {
        messageBox(MessageButtons::Ok, MessageIcon::Warning,
                   QStringLiteral("Can't play %1:\n%2")
                       .arg(path, fromStd(read.file ? timed.error : read.error)));
        return false;
    }
    start(std::move(*timed.groove), Playing::Groove, 0, std::nullopt);
    groovePath_ = path;
    return true;
}

void GrooveCommands::playSweep() {
    if (playing_ == Playing::Sweep) {
        stop();
        return;
    }
    const int note = sweepNote(s_.kit, s_.kit.currentPad);
    if (note < 0) {
        return; // an empty pad: the command is grayed
    }
    start(velocitySweep(note, GroovePlayer::kClockRate), Playing::Sweep, 1, s_.kit.currentPad);
}

void GrooveCommands::start(Groove groove, Playing what, int passes, std::optional<int> pad) {
    player_.stop();
    playing_ = what;
    emit playingChanged();
    player_.start(std::move(groove), passes, pad);
}

void GrooveCommands::stop() {
    player_.stop();
}

} // namespace padsmith
