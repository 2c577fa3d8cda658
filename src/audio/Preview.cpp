#include "audio/Preview.h"

#include "audio/AudioFile.h"
#include "audio/RateConverter.h"
#include "audio/SampleCache.h"
#include "audio/SampleStream.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
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
// How long a stopped output is kept before it is deleted; see releaseOutput.
constexpr int kStoppedSinkLifeMs = 10000;

// Device -1 (and any number the system no longer has) is the default output.
QAudioDevice outputDevice(int device) {
    const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
    if (device >= 0 && device < outputs.size()) {
        return outputs.at(device);
    }
    const QAudioDevice preferred = QMediaDevices::defaultAudioOutput();
    return preferred.isNull() ? outputs.value(0) : preferred;
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

// The open output, and the preview being fed into it.
struct PreviewPlayer::State {
    SampleCache* cache = nullptr;

    // The output: one stream, stereo 16-bit at the device's own rate, pushed into.
    std::unique_ptr<QAudioSink> sink;
    QIODevice* output = nullptr; // owned by the sink
    QByteArray deviceId;
    int outputRate = kFallbackRate;
    int opened = 0;
    QTimer feedTimer;

    // The preview: its source (a cached sample or the file), the conversion to the output's
    // format, what is converted but not yet written, and the silence that follows it.
    QString info;
    bool previewing = false;
    bool handedOver = false;
    std::shared_ptr<const PlayableSample> cached;
    std::size_t cachedOffset = 0;
    std::unique_ptr<SampleStream> stream;
    std::optional<RateConverter> converter;
    std::string pending;
    qint64 silenceLeft = 0;
    qint64 written = 0;

    // A stopped sink is not deleted at once. Qt 6.4's PulseAudio sink answers a stream that
    // ran dry (every preview that ends) with a drain request whose answer calls back into the
    // sink on the sound server's thread, and stopping the sink does not withdraw that request:
    // an answer still on its way when the sink was deleted then landed in freed memory. Kept
    // for a few seconds, the stopped sink is deleted from the event loop once the server is
    // done with its stream (and the event loop its destructor runs is the top-level one, not
    // one nested in a preview).
    void releaseOutput() {
        output = nullptr;
        if (sink) {
            sink->stop();
            QAudioSink* stopped = sink.release();
            QTimer::singleShot(kStoppedSinkLifeMs, stopped, &QObject::deleteLater);
        }
        deviceId.clear();
    }

    void dropPreview() {
        feedTimer.stop();
        previewing = false;
        handedOver = false;
        cached.reset();
        cachedOffset = 0;
        stream.reset();
        converter.reset();
        pending.clear();
        silenceLeft = 0;
        written = 0;
    }

    // Hands the converter the input frames it needs for `frames` output frames, from the
    // cached sample or from the file.
    void supply(std::size_t frames) {
        const std::size_t needed = converter->inputFramesFor(frames);
        if (needed == 0) {
            return;
        }
        if (cached) {
            const std::size_t frameBytes = cached->format.channels * 2U;
            const std::size_t bytes =
                std::min(needed * frameBytes, cached->data.size() - cachedOffset);
            converter->push(cached->data.data() + cachedOffset, bytes);
            cachedOffset += bytes;
            if (cachedOffset >= cached->data.size()) {
                converter->finish();
            }
        } else if (stream) {
            std::string block;
            if (!stream->read(needed, block) || stream->framesLeft() == 0) {
                converter->finish();
            }
            converter->push(block.data(), block.size());
        } else {
            converter->finish();
        }
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
    const bool alive =
        state.sink && state.output != nullptr && state.sink->state() != QAudio::StoppedState &&
        state.sink->error() != QAudio::FatalError && state.sink->error() != QAudio::OpenError;
    if (alive && state.deviceId == wanted.id()) {
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
    // A short buffer: what it holds still sounds when the next preview cuts in.
    state.sink->setBufferSize(format.bytesForDuration(qint64{kOutputBufferMs} * 1000));
    state.output = state.sink->start();
    if (state.output == nullptr) {
        // No sound server, or it refused the format: silence; the next preview tries again.
        state.releaseOutput();
        return false;
    }
    state.deviceId = wanted.id();
    state.outputRate = rate;
    ++state.opened;
    return true;
}

bool PreviewPlayer::openOutput(int device) {
    return ensureOutput(device);
}

void PreviewPlayer::closeOutput() {
    state_->dropPreview();
    state_->releaseOutput();
}

void PreviewPlayer::previewSample(const std::string& path, int device) {
    stopPreview();
    if (path.empty()) {
        return;
    }
    State& state = *state_;
    // One look at the file decides whether the cached copy is still the file's content.
    const std::optional<FileStamp> stamp = stampOf(path);
    if (state.cache != nullptr && stamp) {
        state.cached = state.cache->find(path, *stamp);
    }
    SampleFormat format;
    if (state.cached) {
        state.info = QString::fromStdString(state.cached->infoText);
        format = state.cached->format;
    } else {
        // Only the header and the first block are read now; the file stays open while it plays.
        state.stream = std::make_unique<SampleStream>(path);
        state.info = QString::fromStdString(state.stream->infoText());
        format = state.stream->format();
        if (!state.stream->readable() || state.stream->framesLeft() == 0) {
            state.stream.reset();
            return;
        }
        if (state.cache != nullptr) {
            state.cache->fillFirst(path);
        }
    }
    if (!playable(format) || !ensureOutput(device)) {
        state.dropPreview();
        return;
    }
    state.converter.emplace(static_cast<int>(format.samplesPerSecond), format.channels,
                            state.outputRate);
    // The silence after the sample pushes its end out of the output's buffer.
    state.silenceLeft = state.sink->format().bytesForDuration(qint64{kOutputBufferMs} * 1000) /
                        kOutputFrameBytes * kOutputFrameBytes;
    state.previewing = true;
    feed();
    if (state.previewing && !state.handedOver) {
        state.feedTimer.start();
    }
}

void PreviewPlayer::feed() {
    State& state = *state_;
    if (!state.previewing || state.handedOver) {
        state.feedTimer.stop();
        return;
    }
    if (!state.sink || state.output == nullptr || state.sink->error() == QAudio::FatalError ||
        state.sink->error() == QAudio::IOError) {
        // The sound server went away: give up this preview; the next one opens a new stream.
        closeOutput();
        return;
    }
    qsizetype room = state.sink->bytesFree() / kOutputFrameBytes * kOutputFrameBytes;
    while (room > 0) {
        if (state.pending.empty()) {
            const auto frames = static_cast<std::size_t>(room / kOutputFrameBytes);
            state.supply(frames);
            state.converter->pull(frames, state.pending);
            if (state.pending.empty() && state.converter->drained()) {
                if (state.silenceLeft == 0) {
                    state.handedOver = true;
                    state.feedTimer.stop();
                    return;
                }
                const qint64 silence = std::min<qint64>(state.silenceLeft, room);
                state.pending.assign(static_cast<std::size_t>(silence), '\0');
                state.silenceLeft -= silence;
            }
            if (state.pending.empty()) {
                return; // the file is slower than the output: the next tick goes on
            }
        }
        const qint64 chunk = std::min<qint64>(room, static_cast<qint64>(state.pending.size()));
        const qint64 done = state.output->write(state.pending.data(), chunk);
        if (done <= 0) {
            return;
        }
        state.pending.erase(0, static_cast<std::size_t>(done));
        state.written += done;
        room -= done;
    }
}

void PreviewPlayer::stopPreview() {
    State& state = *state_;
    state.dropPreview();
    state.info.clear();
}

QString PreviewPlayer::infoText() const {
    return state_->info;
}

bool PreviewPlayer::isPreviewing() const {
    const State& state = *state_;
    return state.previewing && state.sink && state.sink->error() != QAudio::FatalError &&
           state.sink->error() != QAudio::OpenError && state.sink->state() != QAudio::StoppedState;
}

bool PreviewPlayer::dataHandedOver() const {
    return isPreviewing() && state_->handedOver;
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
    return state_->previewing && state_->cached != nullptr;
}

qint64 PreviewPlayer::bytesWritten() const {
    return state_->written;
}

int PreviewPlayer::streamsOpened() const {
    return state_->opened;
}

qsizetype PreviewPlayer::outputRoom() const {
    return state_->sink && state_->output != nullptr ? state_->sink->bytesFree() : 0;
}

qsizetype PreviewPlayer::outputBufferBytes() const {
    return state_->sink ? state_->sink->bufferSize() : 0;
}

} // namespace padsmith
