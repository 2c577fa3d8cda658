#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>
#include <string>

namespace padsmith {

class SampleCache;

// The outputs a preview can play on. Device -1 is the system's default output, 0 to n-1 the
// outputs in the order the system lists them. Read again on every call: the list can change.
struct AudioOutputs {
    QString defaultName;
    QStringList names;
};
AudioOutputs audioOutputs();

// Auditions one sample file at a time: a new preview cuts the old one off. One output stream
// stays open from the first preview on (opening one blocks until the sound server has it
// ready), so a preview starts with a write into it: straight from memory for a sample in the
// cache, else as soon as the first block of the file has been read and converted, with the
// rest following while it plays. Needs a running Qt event loop to feed the output. Close the
// output before the event loop ends: Qt 6.4's PulseAudio back end can abort at exit while a
// stream is still closing.
class PreviewPlayer {
public:
    // Data that the output holds at most before it plays it: what is left of a preview that a
    // new one cuts off.
    static constexpr int kOutputBufferMs = 60;

    // `cache` (may be null, else it must outlive the player) is looked into before a file is
    // read, and a file that was not in it is queued for it.
    explicit PreviewPlayer(SampleCache* cache = nullptr);
    ~PreviewPlayer();
    PreviewPlayer(const PreviewPlayer&) = delete;
    PreviewPlayer& operator=(const PreviewPlayer&) = delete;

    // Stops the current preview, then plays `path` on `device`. An empty path only stops.
    void previewSample(const std::string& path, int device);
    // Stops feeding the output and lets the file go; the stream stays open for the next one.
    void stopPreview();
    // Opens the stream of `device` ahead of the first preview; false when no output takes it.
    bool openOutput(int device);
    // Closes the stream; the next preview opens one again.
    void closeOutput();

    // The info text of the file previewed last ("File Format: ?" when unreadable, empty
    // after a stop).
    QString infoText() const;
    // True while a preview holds an output that accepted its sample (it may have finished
    // sounding already); false after a stop, for an unreadable or silent file, or when the
    // output could not be opened.
    bool isPreviewing() const;
    // True once the output has taken all data of the current preview; it goes on sounding
    // for bufferedMilliseconds() from its own buffer. False when nothing plays.
    bool dataHandedOver() const;
    int bufferedMilliseconds() const;

    // Whether the current preview came from the cache rather than from its file.
    bool playingFromCache() const;
    // Bytes of the current preview written into the output so far.
    qint64 bytesWritten() const;
    // How many output streams were opened so far.
    int streamsOpened() const;
    // Bytes the open output would take now (0 without one): its whole buffer once the last
    // preview has been played out.
    qsizetype outputRoom() const;
    qsizetype outputBufferBytes() const;

private:
    struct State;
    void feed();
    bool ensureOutput(int device);
    std::unique_ptr<State> state_;
};

} // namespace padsmith
