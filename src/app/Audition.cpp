// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Audition.h"

#include "app/EditorOptions.h"
#include "audio/SoundSystem.h"

namespace padsmith {

Audition::Audition(std::unique_ptr<SoundSystem> sound, const EditorOptions& options)
    : sound_(std::move(sound)), options_(options) {}

Audition::~Audition() = default;

void Audition::setSound(std::unique_ptr<SoundSystem> sound) {
    sound_->stopPreview();
    sound_ = std::move(sound);
}

void Audition::preview(const std::string& path) {
    sound_->previewSample(path, options_.outputDevice());
}

void Audition::playNote(const std::string& path) {
    sound_->playNote(path, options_.outputDevice());
}

void Audition::stop() {
    sound_->stopPreview();
}

} // namespace padsmith
