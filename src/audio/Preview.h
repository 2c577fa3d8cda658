#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <string>

namespace padsmith {

// The outputs a preview can play on. Device -1 is the system's default output, 0 to n-1 the
// outputs in the order the system lists them. Read again on every call: the list can change.
struct AudioOutputs {
    QString defaultName;
    QStringList names;
};
AudioOutputs audioOutputs();

// Auditions one sample file at a time: a new preview cuts the old one off at once. Needs a
// running Qt event loop to feed the output. Stop the last preview before the event loop ends:
// Qt 6.4's PulseAudio back end can abort at exit while a stream is still closing.
class PreviewPlayer {
public:
    PreviewPlayer();
    ~PreviewPlayer();
    PreviewPlayer(const PreviewPlayer&) = delete;
    PreviewPlayer& operator=(const PreviewPlayer&) = delete;

    // Stops the current preview, then plays `path` on `device`. An empty path only stops.
    void previewSample(const std::string& path, int device);
    void stopPreview();
    // The info text of the file previewed last ("File Format: ?" when unreadable, empty
    // after a stop).
    QString infoText() const;

    // True while a preview holds an output that accepted its sample (it may have finished
    // sounding already); false after a stop, for an unreadable or silent file, or when the
    // output could not be opened.
    bool isPreviewing() const;
    // True once the device has taken all data of the current preview; it goes on sounding
    // for bufferedMilliseconds() from its own buffer. False when nothing plays.
    bool dataHandedOver() const;
    int bufferedMilliseconds() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace padsmith
