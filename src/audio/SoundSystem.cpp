// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/SoundSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace padsmith {

namespace {

class SilentSound : public SoundSystem {
public:
    explicit SilentSound(QString reason) : reason_(std::move(reason)) {}

    void previewSample(const std::string& /*path*/, int /*device*/) override {}
    void playNote(const std::string& /*path*/, int /*device*/) override {}
    void stopPreview() override {}
    bool openOutput(int /*device*/) override { return false; }
    void closeOutput() override {}
    std::vector<VoicePosition> soundingVoices() const override { return {}; }
    QString infoText() const override { return {}; }
    bool isPreviewing() const override { return false; }
    qint64 bytesWritten() const override { return 0; }
    AudioOutputs outputs() const override { return {}; }
    QString openMidi(const QString& /*setting*/,
                     std::function<void(quint32)> /*received*/) override {
        return {};
    }
    bool midiOpen() const override { return false; }
    QString midiStatusText() const override {
        return QStringLiteral("MIDI input: none (%1)").arg(reason_);
    }

private:
    QString reason_;
};

} // namespace

std::unique_ptr<SoundSystem> silentSound(const QString& reason) {
    return std::make_unique<SilentSound>(reason);
}

QStringList soundModuleFolders() {
    const QDir program(QCoreApplication::applicationDirPath());
    return {program.absolutePath(),
            QDir::cleanPath(program.filePath(QStringLiteral(PADSMITH_SOUND_MODULE_FROM_PROGRAM)))};
}

LoadedSound loadSoundModule(const QStringList& folders, SampleCache* cache) {
    QStringList tried;
    for (const QString& folder : folders) {
        QLibrary module(QDir(folder).filePath(kSoundModuleName));
        if (!module.load()) {
            tried.append(module.errorString());
            continue;
        }
        // The module is never unloaded: the sound system's code lives there.
        const auto entry = reinterpret_cast<SoundModuleEntry>(module.resolve(kSoundModuleEntry));
        if (entry == nullptr) {
            return {nullptr, QStringLiteral("%1 is no sound module of Padsmith.")
                                 .arg(QDir::toNativeSeparators(module.fileName()))};
        }
        std::unique_ptr<SoundSystem> sound(entry(cache, kSoundInterfaceVersion));
        if (sound == nullptr) {
            return {nullptr, QStringLiteral("%1 belongs to another version of Padsmith.")
                                 .arg(QDir::toNativeSeparators(module.fileName()))};
        }
        return {std::move(sound), {}};
    }
    return {nullptr, tried.isEmpty() ? QStringLiteral("No folder to look in.")
                                     : tried.join(QLatin1Char('\n'))};
}

} // namespace padsmith
