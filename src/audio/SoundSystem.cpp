// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SoundSystem.h"

#include "platform/Modules.h"

#include <QDir>

namespace padsmith {

namespace {

class SilentSound : public SoundSystem {
public:
    explicit SilentSound(QString reason) : reason_(std::move(reason)) {}

    void previewSample(const std::string& /*path*/, int /*device*/, VoiceGain /*gain*/) override {}
    void playNote(const std::string& /*path*/, int /*device*/, VoiceGain /*gain*/) override {}
    void stopPreview() override {}
    bool openOutput(int /*device*/) override { return false; }
    void closeOutput() override {}
    std::vector<VoicePosition> soundingVoices() const override { return {}; }
    QString infoText() const override { return {}; }
    bool isPreviewing() const override { return false; }
    qint64 bytesWritten() const override { return 0; }
    AudioOutputs outputs() const override { return {}; }
    void setKit(std::vector<KitZone> /*zones*/) override {}
    void setNotesDirect(bool /*direct*/) override {}
    QString openMidi(const QString& /*setting*/,
                     std::function<void(quint32)> /*received*/) override {
        return {};
    }
    bool midiOpen() const override { return false; }
    QString midiStatusText() const override {
        return QStringLiteral("MIDI input: none (%1)").arg(reason_);
    }
    QString outputStatusText() const override {
        return QStringLiteral("Audio output: none (%1)").arg(reason_);
    }

private:
    QString reason_;
};

} // namespace

std::unique_ptr<SoundSystem> silentSound(const QString& reason) {
    return std::make_unique<SilentSound>(reason);
}

LoadedSound loadSoundModule(const QStringList& folders, SampleCache* cache) {
    QString error;
    const auto entry = reinterpret_cast<SoundModuleEntry>(
        loadModuleEntry(folders, kSoundModuleName, kSoundModuleEntry, error));
    if (entry == nullptr) {
        return {nullptr, error};
    }
    std::unique_ptr<SoundSystem> sound(entry(cache, kSoundInterfaceVersion));
    if (sound == nullptr) {
        return {nullptr, QStringLiteral("The module %1 belongs to another version of Padsmith.")
                             .arg(kSoundModuleName)};
    }
    return {std::move(sound), {}};
}

} // namespace padsmith
