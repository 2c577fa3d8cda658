// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class RtMidiIn;

namespace padsmith {

class JackMidi;

// Every MIDI input port of the system, opened and listened to for the whole run. The ports'
// own threads hand each message over to the thread this object lives in, where message()
// arrives in the order the messages came in. On JACK one client listens to every MIDI output
// of the graph and is told by the server when ports come and go; on the other systems ports
// plugged in later are opened when the port list is compared again (every few seconds), and
// ports that go away are closed quietly.
class MidiInput : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultRescanMs = 3000;
    // The environment variable and the setting that name the MIDI system ("alsa", "jack",
    // "core", "winmm"); the variable wins. Without either, each system is tried in turn.
    static constexpr const char* kApiVariable = "PADSMITH_MIDI_API";
    static constexpr const char* kApiSetting = "MidiApi";

    explicit MidiInput(QObject* parent = nullptr);
    ~MidiInput() override;
    MidiInput(const MidiInput&) = delete;
    MidiInput& operator=(const MidiInput&) = delete;

    // Picks the MIDI system, `preferred` first (empty: none preferred) and then the others
    // the library knows, opens every input port and starts watching the port list. False when
    // no MIDI system can be used at all: the program then goes on without MIDI.
    bool open(const std::string& preferred);
    bool isOpen() const { return lister_ != nullptr || jack_ != nullptr; }
    // The MIDI system in use ("ALSA", "JACK", ...); empty when none could be opened.
    QString systemName() const;
    // The names of the ports that are open now, in the order they were opened.
    QStringList openPorts() const;
    // One line for the About window: the MIDI system and its ports, or that there is no MIDI.
    QString statusText() const;

    // Compares the system's ports with the open ones: opens the new, closes the vanished.
    void rescan();
    void setRescanInterval(int milliseconds);

    // The name `open` should prefer, in lower case: the environment variable, else the stored
    // setting; empty when neither names one.
    static std::string preferredSystem(const QString& setting);
    // The names of the MIDI systems this build can use ("alsa", "jack", ...), and whether
    // `name` (in any letter case) is one of them.
    static std::vector<std::string> knownSystems();
    static bool isKnownSystem(const std::string& name);
    // "alsa, jack": the known names for a message.
    static std::string knownSystemsText();

    // The libraries behind the MIDI systems write to stderr when a system is missing (no ALSA
    // sequencer, no JACK server); that is kept off stderr unless `verbose`.
    void setVerbose(bool verbose) { verbose_ = verbose; }

    // Set on a message() for a note-on that the note handler played.
    static constexpr quint32 kSounded = 1U << 31;
    // Called on the port's thread for every note-on (velocity above 0) before it is handed
    // over: plays it at once where it can, true when it did. On JACK that thread is
    // real-time: the handler must neither wait nor allocate. Set before open().
    void setNoteHandler(std::function<bool(int note, int velocity)> handler);

    // What the ports' callback does with a message, for tests that play a MIDI device: queue
    // each short message it holds for the owning thread. Safe on any thread.
    void deliver(const std::vector<unsigned char>& message);

signals:
    // A short MIDI message packed as status | data1 << 8 | data2 << 16.
    void message(quint32 packed);
    // Ports were opened or closed by a rescan.
    void portsChanged();

private:
    struct Port;
    static void callback(double timeStamp, std::vector<unsigned char>* message, void* userData);
    void closeAll();
    // Emits message() for what the ports' threads queued, oldest first, on the owning thread.
    Q_INVOKABLE void takeArrived();
    void hand(const std::vector<std::uint32_t>& messages);
    Q_INVOKABLE void jackSourcesChanged();

    std::function<bool(int, int)> noteHandler_;
    std::unique_ptr<JackMidi> jack_;
    std::unique_ptr<RtMidiIn> lister_;
    std::vector<std::unique_ptr<Port>> ports_;
    QTimer rescanTimer_;
    std::atomic<bool> ending_{false};
    bool verbose_ = false;
    // The messages the ports' threads have handed over and the owning thread has not taken yet:
    // the only thing those threads touch.
    std::mutex arrivedMutex_;
    std::deque<quint32> arrived_;
};

// The short messages of one packet from a MIDI port, packed as MidiInput::message carries them:
// a packet may hold several (two note-ons at once), with or without running status. System
// exclusive and real-time bytes are passed over; an incomplete message at the end is dropped.
std::vector<std::uint32_t> shortMidiMessages(const std::vector<unsigned char>& packet);

} // namespace padsmith
