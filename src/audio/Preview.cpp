// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/Preview.h"

#include "audio/AudioFile.h"
#include "audio/SampleCache.h"
#include "audio/SampleStream.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QElapsedTimer>
#include <QIODevice>
#include <QMediaDevices>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

namespace padsmith {
namespace {

constexpr int kOutputChannels = 2;
constexpr int kOutputFrameBytes = kOutputChannels * 2;
constexpr int kFallbackRate = 44100;
// How often the output is topped up while a preview plays: well within the output's buffer.
constexpr int kFeedIntervalMs = 10;
// The first block of a new sound, written at once into the free part of the output's buffer.
// Short, so that the notes of a chord, arriving one after the other, each find room.
constexpr int kFirstBlockMs = 5;
// How long a stopped output is kept before it is deleted; see releaseOutput.
constexpr int kStoppedSinkLifeMs = 10000;

// Device -1 (and any number the system no longer has) is the default output. Asked on every
// note: the list is read only when a numbered output or no default is wanted.
QAudioDevice outputDevice(int device) {
    if (device >= 0) {
        const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
        if (device < outputs.size()) {
            return outputs.at(device);
        }
    }
    const QAudioDevice preferred = QMediaDevices::defaultAudioOutput();
    return preferred.isNull() ? QMediaDevices::audioOutputs().value(0) : preferred;
}

bool playable(const SampleFormat& format) {
    return format.channels != 0 && format.samplesPerSecond != 0 &&
           format.samplesPerSecond <= static_cast<std::uint32_t>(std::numeric_limits<int>::max());
}

} // namespace

AudioOutputs audioOutputs() {
    AudioOutputs outputs;
    outputs.defaultName = QMediaDevices::defaultAudioOutput().description();
    for (const QAudioDevice& device : QMediaDevices::audioOutputs()) {
        outputs.names.append(device.description());
    }
    return outputs;
}

// The open output, the mixer that feeds it, and what is known of the sound started last.
struct PreviewPlayer::State {
    SampleCache* cache = nullptr;

    // The output: one stream, stereo 16-bit at the device's own rate, pushed into.
    std::unique_ptr<QAudioSink> sink;
    QIODevice* output = nullptr; // owned by the sink
    QByteArray deviceId;
    int outputRate = kFallbackRate;
    int opened = 0;
    QTimer feedTimer;
    QElapsedTimer sinceSound; // since the mixer last had something to play
    std::unique_ptr<VoiceMixer> mixer;
    std::string pending; // mixed, not yet taken by the output

    // The sound started last.
    QString info;
    bool previewing = false;
    int voice = 0;
    bool fromCache = false;
    qint64 written = 0;
    double waitedMs = -1.0;

    bool outputAlive() const {
        return sink && output != nullptr && sink->state() != QAudio::StoppedState &&
               sink->error() != QAudio::FatalError && sink->error() != QAudio::OpenError &&
               sink->error() != QAudio::IOError;
    }

    // A stopped sink is not deleted at once. Qt 6.4's PulseAudio sink answers a stream that
    // ran dry (every preview that ends) with a drain request whose answer calls back into the
    // sink on the sound server's thread, and stopping the sink does not withdraw that request:
    // an answer still on its way when the sink was deleted then landed in freed memory. Kept
    // for a few seconds, the stopped sink is deleted from the event loop once the server is
    // done with its stream (and the event loop its destructor runs is the top-level one, not
    // one nested in a preview).
    void releaseOutput() {
        feedTimer.stop();
        output = nullptr;
        if (sink) {
            sink->stop();
            QAudioSink* stopped = sink.release();
            QTimer::singleShot(kStoppedSinkLifeMs, stopped, &QObject::deleteLater);
        }
        mixer.reset();
        pending.clear();
        deviceId.clear();
    }

    void forgetSound() {
        previewing = false;
        voice = 0;
        fromCache = false;
        written = 0;
        waitedMs = -1.0;
    }

    // Output frames mixed but not yet heard: what the output holds and what waits for it.
    std::size_t latencyFrames() const {
        if (!sink || output == nullptr) {
            return 0;
        }
        const qsizetype held = std::max<qsizetype>(sink->bufferSize() - sink->bytesFree(), 0);
        return static_cast<std::size_t>(held / kOutputFrameBytes) +
               pending.size() / kOutputFrameBytes;
    }
};

PreviewPlayer::PreviewPlayer(SampleCache* cache) : state_(std::make_unique<State>()) {
    state_->cache = cache;
    state_->feedTimer.setTimerType(Qt::PreciseTimer);
    state_->feedTimer.setInterval(kFeedIntervalMs);
    QObject::connect(&state_->feedTimer, &QTimer::timeout, [this] { feed(); });
}

PreviewPlayer::~PreviewPlayer() {
    closeOutput();
}

bool PreviewPlayer::ensureOutput(int device) {
    State& state = *state_;
    const QAudioDevice wanted = outputDevice(device);
    if (wanted.isNull()) {
        state.releaseOutput();
        return false;
    }
    if (state.outputAlive() && state.deviceId == wanted.id()) {
        return true;
    }
    state.releaseOutput();

    int rate = wanted.preferredFormat().sampleRate();
    if (rate <= 0) {
        rate = kFallbackRate;
    }
    QAudioFormat format;
    format.setSampleRate(rate);
    format.setChannelCount(kOutputChannels);
    format.setSampleFormat(QAudioFormat::Int16);
    state.sink = std::make_unique<QAudioSink>(wanted, format);
    // A short buffer: every new sound waits behind what it holds.
    state.sink->setBufferSize(format.bytesForDuration(qint64{kOutputBufferMs} * 1000));
    state.output = state.sink->start();
    if (state.output == nullptr) {
        // No sound server, or it refused the format: silence; the next preview tries again.
        state.releaseOutput();
        return false;
    }
    state.deviceId = wanted.id();
    state.outputRate = rate;
    state.mixer = std::make_unique<VoiceMixer>(rate);
    state.sinceSound.start();
    state.feedTimer.start();
    ++state.opened;
    return true;
}

bool PreviewPlayer::openOutput(int device) {
    return ensureOutput(device);
}

void PreviewPlayer::closeOutput() {
    state_->forgetSound();
    state_->releaseOutput();
}

void PreviewPlayer::previewSample(const std::string& path, int device) {
    stopPreview();
    if (!path.empty()) {
        start(path, device, true);
    }
}

void PreviewPlayer::playNote(const std::string& path, int device) {
    if (path.empty()) {
        return;
    }
    start(path, device, false);
}

void PreviewPlayer::start(const std::string& path, int device, bool solo) {
    State& state = *state_;
    state.forgetSound();
    // One look at the file decides whether the cached copy is still the file's content.
    const std::optional<FileStamp> stamp = stampOf(path);
    std::shared_ptr<const PlayableSample> cached;
    std::unique_ptr<SampleStream> stream;
    if (state.cache != nullptr && stamp) {
        cached = state.cache->find(path, *stamp);
    }
    SampleFormat format;
    if (cached) {
        state.info = QString::fromStdString(cached->infoText);
        format = cached->format;
    } else {
        // Only the header and the first block are read now; the file stays open while it plays.
        stream = std::make_unique<SampleStream>(path);
        state.info = QString::fromStdString(stream->infoText());
        format = stream->format();
        if (!stream->readable() || stream->framesLeft() == 0) {
            return;
        }
        if (state.cache != nullptr) {
            state.cache->fillFirst(path);
        }
    }
    if (!playable(format)) {
        return;
    }
    const QByteArray before = state.deviceId;
    if (!ensureOutput(device)) {
        return;
    }
    state.fromCache = cached != nullptr;
    state.voice = state.mixer->start(path, std::move(cached), std::move(stream),
                                     solo || before != state.deviceId);
    if (state.voice == 0) {
        return;
    }
    state.previewing = true;
    state.sinceSound.start();
    if (!state.feedTimer.isActive()) {
        state.feedTimer.start();
    }
    feed();
}

void PreviewPlayer::feed() {
    State& state = *state_;
    if (!state.sink) {
        state.feedTimer.stop();
        return;
    }
    if (!state.outputAlive()) {
        // The sound server went away: give up; the next sound opens a new stream.
        const bool previewing = state.previewing;
        state.releaseOutput();
        state.previewing = previewing;
        return;
    }
    if (state.mixer->sounding()) {
        state.sinceSound.start();
    } else if (state.pending.empty() && state.sinceSound.elapsed() > kKeepRunningMs) {
        state.feedTimer.stop(); // long quiet: the stream runs dry until the next sound
        return;
    }
    const bool first = state.voice != 0 && state.written == 0;
    const qsizetype buffer = state.sink->bufferSize();
    const qsizetype free = state.sink->bytesFree();
    const qsizetype held =
        std::max<qsizetype>(buffer - free, 0) + static_cast<qsizetype>(state.pending.size());
    // Filled to three quarters; a new sound may take a first block of the quarter left free.
    qsizetype wanted = buffer - buffer / 4 - held;
    if (first) {
        wanted = std::max<qsizetype>(
            wanted, state.sink->format().bytesForDuration(qint64{kFirstBlockMs} * 1000));
    }
    qsizetype room = std::min(wanted, free) / kOutputFrameBytes * kOutputFrameBytes;
    while (room > 0) {
        if (state.pending.empty()) {
            state.mixer->render(static_cast<std::size_t>(room / kOutputFrameBytes), state.pending);
        }
        const qint64 chunk = std::min<qint64>(room, static_cast<qint64>(state.pending.size()));
        const qint64 done = state.output->write(state.pending.data(), chunk);
        if (done <= 0) {
            break;
        }
        state.pending.erase(0, static_cast<std::size_t>(done));
        room -= done;
    }
    if (state.voice != 0 && state.mixer->isSounding(state.voice)) {
        state.written =
            static_cast<qint64>(state.mixer->framesMixed(state.voice)) * kOutputFrameBytes;
    }
    if (first && state.written > 0) {
        state.waitedMs =
            static_cast<double>(state.sink->format().durationForBytes(static_cast<qint32>(held))) /
            1000.0;
    }
}

std::vector<VoicePosition> PreviewPlayer::soundingVoices() const {
    const State& state = *state_;
    return state.mixer ? state.mixer->voices(state.latencyFrames()) : std::vector<VoicePosition>{};
}

void PreviewPlayer::stopPreview() {
    State& state = *state_;
    if (state.mixer) {
        state.mixer->stopAll();
    }
    // Mixed but not handed over yet: none of it is to be heard after a stop.
    state.pending.clear();
    state.forgetSound();
    state.info.clear();
}

QString PreviewPlayer::infoText() const {
    return state_->info;
}

bool PreviewPlayer::isPreviewing() const {
    return state_->previewing && state_->outputAlive();
}

bool PreviewPlayer::dataHandedOver() const {
    const State& state = *state_;
    return isPreviewing() && !state.mixer->isSounding(state.voice) && state.pending.empty();
}

int PreviewPlayer::bufferedMilliseconds() const {
    const State& state = *state_;
    if (!state.sink) {
        return 0;
    }
    const qint64 microseconds = state.sink->format().durationForBytes(
        static_cast<qint32>(std::min<qsizetype>(state.sink->bufferSize(), INT32_MAX)));
    return static_cast<int>(microseconds / 1000);
}

bool PreviewPlayer::playingFromCache() const {
    return state_->previewing && state_->fromCache;
}

qint64 PreviewPlayer::bytesWritten() const {
    return state_->written;
}

double PreviewPlayer::waitedBehindMs() const {
    return state_->waitedMs;
}

int PreviewPlayer::streamsOpened() const {
    return state_->opened;
}

} // namespace padsmith
