// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Audition.h"

#include "app/EditorOptions.h"
#include "audio/GrooveZones.h"
#include "audio/SoundSystem.h"
#include "kit/SampleZone.h"

namespace padsmith {

Audition::Audition(std::unique_ptr<SoundSystem> sound, const EditorOptions& options)
    : sound_(std::move(sound)), options_(options) {}

Audition::~Audition() = default;

void Audition::setSound(std::unique_ptr<SoundSystem> sound) {
    sound_->stopPreview();
    sound_ = std::move(sound);
}

void Audition::preview(const std::string& path) {
    sound_->previewSample(path, options_.outputDevice(), {});
}

void Audition::previewZone(const SampleZone& zone) {
    sound_->previewSample(zone.sourcePath, options_.outputDevice(),
                          {zone.gainLeft, zone.gainRight});
}

void Audition::playZone(const SampleZone& zone) {
    sound_->playNote(zone.sourcePath, options_.outputDevice(), {zone.gainLeft, zone.gainRight});
}

void Audition::playZone(const ZonePlay& zone) {
    sound_->playNote(zone.path, options_.outputDevice(), {zone.gainLeft, zone.gainRight});
}

void Audition::stop() {
    sound_->stopPreview();
}

} // namespace padsmith
