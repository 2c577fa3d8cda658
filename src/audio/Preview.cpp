// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/Preview.h"

#include "audio/OutputStream.h"
#include "audio/SampleStream.h"

#include <thread>

namespace padsmith {

namespace {

constexpr char kJackKey[] = "jack";
constexpr char kJackName[] = "JACK";

std::string pulseKey(const std::string& sink) {
    return "pulse:" + sink;
}

// The stream a device number stands for: "pulse:SINK" ("pulse:" for the server's default) or
// "jack"; empty when there is no output at all.
std::string outputKey(int device) {
    const PulseSinks sinks = pulseSinks();
    if (device >= 0 && static_cast<std::size_t>(device) < sinks.sinks.size()) {
        return pulseKey(sinks.sinks[static_cast<std::size_t>(device)].id);
    }
    if (device >= 0 && static_cast<std::size_t>(device) == sinks.sinks.size() && jackRunning()) {
        return kJackKey;
    }
    // The default output, and any number the system no longer has.
    if (!sinks.sinks.empty()) {
        return pulseKey({});
    }
    return jackRunning() ? kJackKey : std::string();
}

} // namespace

AudioOutputs audioOutputs() {
    AudioOutputs outputs;
    const PulseSinks sinks = pulseSinks();
    for (const OutputDevice& sink : sinks.sinks) {
        outputs.names.append(QString::fromStdString(sink.name));
        if (sink.id == sinks.defaultId) {
            outputs.defaultName = QString::fromStdString(sink.name);
        }
    }
    if (jackRunning()) {
        outputs.names.append(QString::fromLatin1(kJackName));
        if (sinks.sinks.empty()) {
            outputs.defaultName = QString::fromLatin1(kJackName);
        }
    }
    return outputs;
}

PreviewPlayer::PreviewPlayer(SampleCache* cache) : cache_(cache) {}

PreviewPlayer::~PreviewPlayer() {
    closeOutput();
}

bool PreviewPlayer::ensureOutput(int device) {
    // The same number as last time: the open stream, without asking the servers again.
    if (output_ && output_->alive() && device == device_) {
        return true;
    }
    const std::string key = outputKey(device);
    if (key.empty()) {
        closeOutput();
        return false;
    }
    if (output_ && output_->alive() && key == outputKey_) {
        return true;
    }
    closeOutput();
    std::string error;
    const RenderAtRate renderAtRate = [this](int rate) -> RenderFunction {
        audition_ = std::make_unique<VoiceEngine>(rate, cache_);
        VoiceEngine* audition = audition_.get();
        return [audition](float* out, std::size_t frames) { audition->render(out, frames); };
    };
    output_ = key == kJackKey ? openJackOutput(renderAtRate, error)
                              : openPulseOutput(key.substr(6), renderAtRate, error);
    if (!output_) {
        audition_.reset();
        return false;
    }
    outputKey_ = key;
    device_ = device;
    ++opened_;
    audition_->setNotesDirect(direct_);
    if (!kit_.empty()) {
        audition_->setKit(kit_);
    }
    audition_->setRunning(true);
    shared_ = audition_.get();
    return true;
}

bool PreviewPlayer::openOutput(int device) {
    return ensureOutput(device);
}

void PreviewPlayer::closeOutput() {
    // MIDI threads that are inside the audition finish their note first.
    shared_ = nullptr;
    while (midiInside_.load() != 0) {
        std::this_thread::yield();
    }
    previewing_ = false;
    voice_ = 0;
    output_.reset(); // no render call after this
    audition_.reset();
    outputKey_.clear();
}

void PreviewPlayer::previewSample(const std::string& path, int device, VoiceGain gain) {
    stopPreview();
    if (!path.empty()) {
        start(path, device, true, gain);
    }
}

void PreviewPlayer::playNote(const std::string& path, int device, VoiceGain gain) {
    if (!path.empty()) {
        start(path, device, false, gain);
    }
}

void PreviewPlayer::start(const std::string& path, int device, bool solo, VoiceGain gain) {
    previewing_ = false;
    voice_ = 0;
    written_ = 0;
    fromCache_ = false;
    if (!ensureOutput(device)) {
        // Still tell what the file is.
        info_ = QString::fromStdString(SampleStream(path).infoText());
        return;
    }
    const StartedSound started = audition_->play(path, solo, gain);
    info_ = QString::fromStdString(started.infoText);
    voice_ = started.id;
    fromCache_ = started.fromCache;
    previewing_ = started.id != 0;
}

void PreviewPlayer::stopPreview() {
    if (audition_) {
        audition_->stopAll();
    }
    previewing_ = false;
    voice_ = 0;
    fromCache_ = false;
    info_.clear();
}

void PreviewPlayer::setKit(std::vector<KitZone> zones) {
    kit_ = std::move(zones);
    if (audition_) {
        audition_->setKit(kit_);
    }
}

void PreviewPlayer::setNotesDirect(bool direct) {
    direct_ = direct;
    if (audition_) {
        audition_->setNotesDirect(direct);
    }
}

bool PreviewPlayer::noteFromMidi(int note, int velocity) {
    midiInside_.fetch_add(1);
    VoiceEngine* audition = shared_.load();
    const bool queued = audition != nullptr && audition->noteOn(note, velocity);
    midiInside_.fetch_sub(1);
    return queued;
}

bool PreviewPlayer::kitReady() const {
    return audition_ && audition_->kitReady();
}

std::vector<VoicePosition> PreviewPlayer::soundingVoices() const {
    if (!audition_ || !output_) {
        return {};
    }
    return audition_->voices(output_->latencyFrames());
}

QString PreviewPlayer::infoText() const {
    return info_;
}

bool PreviewPlayer::isPreviewing() const {
    return previewing_ && output_ && output_->alive();
}

bool PreviewPlayer::dataHandedOver() const {
    return isPreviewing() && !audition_->isSounding(voice_);
}

int PreviewPlayer::bufferedMilliseconds() const {
    if (!output_ || output_->rate() <= 0) {
        return 0;
    }
    return static_cast<int>(output_->latencyFrames() * 1000 /
                            static_cast<std::size_t>(output_->rate()));
}

bool PreviewPlayer::playingFromCache() const {
    return previewing_ && fromCache_;
}

qint64 PreviewPlayer::bytesWritten() const {
    if (audition_ && voice_ != 0) {
        // A voice that has ended is forgotten by the audition: the last count stands.
        written_ = std::max(written_, static_cast<qint64>(audition_->framesMixed(voice_)) * 4);
    }
    return voice_ != 0 ? written_ : 0;
}

int PreviewPlayer::streamsOpened() const {
    return opened_;
}

std::uint64_t PreviewPlayer::outputUnderruns() const {
    return output_ ? output_->underruns() : 0;
}

std::uint64_t PreviewPlayer::starvedPeriods() const {
    return audition_ ? audition_->starvedPeriods() : 0;
}

QString PreviewPlayer::outputStatusText() const {
    return QStringLiteral("Audio output: %1")
        .arg(output_ ? QString::fromStdString(output_->statusText()) : QStringLiteral("none open"));
}

std::uint64_t PreviewPlayer::notesGivenUp() const {
    return audition_ ? audition_->notesGivenUp() : 0;
}

int PreviewPlayer::outputRate() const {
    return output_ ? output_->rate() : 0;
}

} // namespace padsmith
