// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/LinkedSound.h"

#include "audio/MidiInput.h"
#include "audio/Preview.h"

namespace padsmith {

static_assert(kMidiNoteSounded == MidiInput::kSounded);

namespace {

class LinkedSound : public SoundSystem {
public:
    explicit LinkedSound(SampleCache* cache) : player_(cache) {}

    void previewSample(const std::string& path, int device, VoiceGain gain) override {
        player_.previewSample(path, device, gain);
    }
    void playNote(const std::string& path, int device, VoiceGain gain) override {
        player_.playNote(path, device, gain);
    }
    void stopPreview() override { player_.stopPreview(); }
    bool openOutput(int device) override { return player_.openOutput(device); }
    void closeOutput() override { player_.closeOutput(); }
    std::vector<VoicePosition> soundingVoices() const override { return player_.soundingVoices(); }
    QString infoText() const override { return player_.infoText(); }
    bool isPreviewing() const override { return player_.isPreviewing(); }
    qint64 bytesWritten() const override { return player_.bytesWritten(); }
    AudioOutputs outputs() const override { return audioOutputs(); }
    void setKit(std::vector<KitZone> zones) override { player_.setKit(std::move(zones)); }
    void setNotesDirect(bool direct) override { player_.setNotesDirect(direct); }

    QString openMidi(const QString& setting, std::function<void(quint32)> received) override {
        QObject::connect(&midi_, &MidiInput::message, &midi_,
                         [received = std::move(received)](quint32 packed) { received(packed); });
        // Notes go from the MIDI thread to the audio thread; the window hears of them after.
        midi_.setNoteHandler(
            [this](int note, int velocity) { return player_.noteFromMidi(note, velocity); });
        const std::string system = MidiInput::preferredSystem(setting);
        midi_.open(system);
        if (system.empty() || MidiInput::isKnownSystem(system)) {
            return {};
        }
        return QStringLiteral("The MIDI system \"%1\" is not known; the known ones are %2. MIDI "
                              "input uses %3.")
            .arg(QString::fromStdString(system),
                 QString::fromStdString(MidiInput::knownSystemsText()),
                 midi_.isOpen() ? midi_.systemName() : QStringLiteral("none"));
    }
    bool midiOpen() const override { return midi_.isOpen(); }
    QString midiStatusText() const override { return midi_.statusText(); }
    QString outputStatusText() const override { return player_.outputStatusText(); }

private:
    PreviewPlayer player_;
    MidiInput midi_;
};

} // namespace

std::unique_ptr<SoundSystem> linkedSound(SampleCache* cache) {
    return std::make_unique<LinkedSound>(cache);
}

} // namespace padsmith
