// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>

namespace padsmith {

class EditorOptions;
class SoundSystem;
struct SampleZone;
struct ZonePlay;

// What the window's parts play: previews and notes on the output the user chose, through the
// sound system the window holds now (silent until the sound module is loaded).
class Audition {
public:
    Audition(std::unique_ptr<SoundSystem> sound, const EditorOptions& options);
    ~Audition();
    Audition(const Audition&) = delete;
    Audition& operator=(const Audition&) = delete;

    SoundSystem& sound() { return *sound_; }
    // Stops what the old sound system plays and takes `sound` in its place.
    void setSound(std::unique_ptr<SoundSystem> sound);

    // A preview ends every sound; a note sounds with the others. A zone plays at its volumes,
    // as the plug-in plays it; a file that is no zone (the import dialog, a drop) at its own
    // level.
    void preview(const std::string& path);
    void previewZone(const SampleZone& zone);
    void playZone(const SampleZone& zone);
    void playZone(const ZonePlay& zone);
    void stop();

private:
    std::unique_ptr<SoundSystem> sound_;
    const EditorOptions& options_;
};

} // namespace padsmith
