// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace padsmith {

// Fills `frames` stereo float frames (two floats a frame) at `out`. Runs on the output's audio
// thread, which must not wait: it neither allocates, locks nor reads a file.
using RenderFunction = std::function<void(float* out, std::size_t frames)>;
// Asked once the output knows its rate, before the first frames are wanted: gives the function
// that renders them.
using RenderAtRate = std::function<RenderFunction(int rate)>;

// One open stream to an audio output that asks for its sound through a callback: a PulseAudio
// (or PipeWire) stream, or a JACK client. Closing is deleting it; after the destructor the
// render function is not called again.
class OutputStream {
public:
    virtual ~OutputStream() = default;
    // Frames a second, the output's own: nothing is converted after the mix.
    virtual int rate() const = 0;
    // False once the server went away or failed the stream: a new one must be opened.
    virtual bool alive() const = 0;
    // Frames rendered but not heard yet: what the stream and the device still hold.
    virtual std::size_t latencyFrames() const = 0;
    // Frames the output asks for at a time.
    virtual std::size_t periodFrames() const = 0;
    // How often the output ran dry (the sound server's underflows, JACK's xruns) so far.
    virtual std::uint64_t underruns() const = 0;
    // One line for the user: the output, its rate and periods, and the priority its audio
    // thread runs at.
    virtual std::string statusText() const = 0;
};

// An output the sound server offers.
struct OutputDevice {
    std::string id;   // the server's name for it, stable across runs
    std::string name; // what the user reads
};

// The sound server's outputs and its default one's name; empty without a server.
struct PulseSinks {
    std::vector<OutputDevice> sinks;
    std::string defaultId;
};
PulseSinks pulseSinks();

// A stream to the sink `sinkId` (empty: the server's default) asking for sound 256 frames at a
// time and holding three such periods, at the sink's own rate. Null and `error` when there is
// no server or it refuses.
std::unique_ptr<OutputStream> openPulseOutput(const std::string& sinkId,
                                              const RenderAtRate& renderAtRate, std::string& error);

// Keeps libjack's complaints (no server) off stderr.
void quietJack();
// Whether a JACK server runs that a client can join (none is started).
bool jackRunning();
// A JACK client whose two output ports are connected to the system's playback ports.
std::unique_ptr<OutputStream> openJackOutput(const RenderAtRate& renderAtRate, std::string& error);

} // namespace padsmith
