// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/CodePage.h"

#include <QString>
#include <cstddef>

namespace padsmith {

class SettingsStore;

// The editor's options, read from and written to the settings store in one place: "Share
// samples", the external wave editor, the output device of previews and the code page of the
// kit files. Each is written the moment it changes.
class EditorOptions {
public:
    static constexpr int kAudioOutFirstEntry = 1223; // "WaveOutChk" of the default output

    explicit EditorOptions(SettingsStore& settings);

    // Reads "flShared", "WaveEditor" and "CodePage". The output device stays the default (-1)
    // until an "Audio Out" entry is chosen.
    void load();

    bool shareSamples() const { return shareSamples_; }
    // Written as "flShared": 8 (the menu's check-mark flag) when on, 0 when off.
    void setShareSamples(bool on);

    const QString& waveEditor() const { return waveEditor_; }
    void setWaveEditor(const QString& path);

    // -1 is the system's default output, 0 to n-1 the outputs in the system's order.
    int outputDevice() const { return outputDevice_; }
    // Written as "WaveOutChk", the id of its "Audio Out" entry (1223 + 1 + device).
    void setOutputDevice(int device);
    // The stored "Audio Out" entry id ("WaveOutChk"), 1223 when none is stored.
    int storedAudioOutEntry() const;

    // Read only, changed in the settings file: the bound of the sample cache
    // ("SampleCacheMiB", 0 turns it off) and the MIDI system to prefer ("MidiApi").
    std::size_t sampleCacheBytes() const;
    QString midiSystem() const;

    // The code page the plug-in reads kit scripts and instrument files in: Windows-1252 unless
    // another is stored. A stored name that is not offered keeps Windows-1252 and is kept in
    // `unknownCodePage` for the user to be told.
    const CodePage& codePage() const { return codePage_; }
    const QString& unknownCodePage() const { return unknownCodePage_; }
    void setCodePage(const CodePage& page);

private:
    SettingsStore& settings_;
    CodePage codePage_;
    QString unknownCodePage_;
    bool shareSamples_ = false;
    QString waveEditor_;
    int outputDevice_ = -1;
};

} // namespace padsmith
