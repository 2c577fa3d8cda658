// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/MidiInput.h"

#include "audio/JackMidi.h"

#include <QMetaObject>
#include <RtMidi.h>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>

#if defined(_WIN32)
#include <io.h>
#define PADSMITH_DUP _dup
#define PADSMITH_DUP2 _dup2
#define PADSMITH_CLOSE _close
#define PADSMITH_NULL_DEVICE "NUL"
#else
#include <fcntl.h>
#include <unistd.h>
#define PADSMITH_DUP ::dup
#define PADSMITH_DUP2 ::dup2
#define PADSMITH_CLOSE ::close
#define PADSMITH_NULL_DEVICE "/dev/null"
#endif

namespace padsmith {

static_assert(MidiInput::kSounded == JackMidi::kSounded);

namespace {

constexpr const char* kClientName = "Padsmith";

// Warnings of the library (a port that vanished between listing and opening, a JACK server
// that is not running) would otherwise go to stderr on every rescan.
void quietErrors(RtMidiError::Type /*type*/, const std::string& /*text*/, void* /*data*/) {}

// Sends stderr to the null device for its lifetime: the ALSA library and libjack print their
// own complaints there when their system is missing, before any error callback is asked.
class QuietStderr {
public:
    explicit QuietStderr(bool quiet) {
        if (!quiet) {
            return;
        }
        std::fflush(stderr);
        saved_ = PADSMITH_DUP(2);
        std::FILE* sink = std::fopen(PADSMITH_NULL_DEVICE, "w");
        if (saved_ < 0 || sink == nullptr || PADSMITH_DUP2(fileno(sink), 2) < 0) {
            if (saved_ >= 0) {
                PADSMITH_CLOSE(saved_);
            }
            saved_ = -1;
        }
        if (sink != nullptr) {
            std::fclose(sink);
        }
    }
    ~QuietStderr() {
        if (saved_ >= 0) {
            std::fflush(stderr);
            PADSMITH_DUP2(saved_, 2);
            PADSMITH_CLOSE(saved_);
        }
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved_ = -1;
};

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The number of data bytes after a status byte; -1 for system exclusive and the undefined ones.
int dataBytesAfter(unsigned char status) {
    if (status < 0xF0) {
        const unsigned char kind = status & 0xF0;
        return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
    }
    switch (status) {
    case 0xF1:
    case 0xF3:
        return 1;
    case 0xF2:
        return 2;
    case 0xF6:
        return 0;
    default:
        return -1;
    }
}

void noteFailure(RtMidiError::Type /*type*/, const std::string& /*text*/, void* failed) {
    *static_cast<bool*>(failed) = true;
}

// The systems to try: the preferred one first, then the library's own order. The dummy
// system of a library built without any is no MIDI at all.
std::vector<RtMidi::Api> systemsToTry(const std::string& preferred) {
    std::vector<RtMidi::Api> compiled;
    RtMidi::getCompiledApi(compiled);
    std::vector<RtMidi::Api> order;
    if (!preferred.empty()) {
        const RtMidi::Api named = RtMidi::getCompiledApiByName(lowerCase(preferred));
        if (named != RtMidi::UNSPECIFIED) {
            order.push_back(named);
        }
    }
    for (const RtMidi::Api api : compiled) {
        if (api != RtMidi::RTMIDI_DUMMY &&
            std::find(order.begin(), order.end(), api) == order.end()) {
            order.push_back(api);
        }
    }
    return order;
}

// The names of the ports `lister` sees, each made unique by its place among equal names (two
// identical controllers on a system that names them alike).
std::vector<std::string> portKeys(RtMidiIn& lister, std::vector<unsigned int>* numbers = nullptr) {
    std::vector<std::string> keys;
    std::map<std::string, int> seen;
    const unsigned int count = lister.getPortCount();
    for (unsigned int i = 0; i < count; ++i) {
        const std::string name = lister.getPortName(i);
        if (name.empty()) {
            continue; // gone while listing
        }
        const int occurrence = seen[name]++;
        keys.push_back(occurrence == 0 ? name : name + " #" + std::to_string(occurrence + 1));
        if (numbers != nullptr) {
            numbers->push_back(i);
        }
    }
    return keys;
}

} // namespace

struct MidiInput::Port {
    std::string key;
    std::unique_ptr<RtMidiIn> input;

    ~Port() {
        // Stop the callback before the port's memory goes.
        if (input) {
            input->cancelCallback();
            input->closePort();
        }
    }
};

MidiInput::MidiInput(QObject* parent) : QObject(parent) {
    rescanTimer_.setInterval(kDefaultRescanMs);
    connect(&rescanTimer_, &QTimer::timeout, this, &MidiInput::rescan);
}

MidiInput::~MidiInput() {
    ending_ = true;
    closeAll();
}

void MidiInput::closeAll() {
    rescanTimer_.stop();
    jack_.reset();
    ports_.clear();
    lister_.reset();
}

void MidiInput::setNoteHandler(std::function<bool(int note, int velocity)> handler) {
    noteHandler_ = std::move(handler);
}

void MidiInput::jackSourcesChanged() {
    emit portsChanged();
}

bool MidiInput::open(const std::string& preferred) {
    closeAll();
    const QuietStderr quiet(!verbose_);
    for (const RtMidi::Api api : systemsToTry(preferred)) {
        if (api == RtMidi::UNIX_JACK) {
            // One client of our own for every port, told by the server when ports come and
            // go.
            auto jack = std::make_unique<JackMidi>(
                noteHandler_,
                [this](std::uint32_t packed) {
                    if (!ending_) {
                        hand({packed});
                    }
                },
                [this] {
                    QMetaObject::invokeMethod(this, "jackSourcesChanged", Qt::QueuedConnection);
                });
            if (jack->open()) {
                jack_ = std::move(jack);
                return true;
            }
            continue;
        }
        try {
            auto lister = std::make_unique<RtMidiIn>(api, kClientName);
            // A system that cannot even list its ports (JACK without a running server) is no
            // use, and asking it again every few seconds would only fill stderr.
            bool failed = false;
            lister->setErrorCallback(&noteFailure, &failed);
            lister->getPortCount();
            lister->setErrorCallback(&quietErrors, nullptr);
            if (!failed) {
                lister_ = std::move(lister);
                break;
            }
        } catch (const RtMidiError&) {
            // This system is missing here (no ALSA sequencer in a container): try the next.
        }
    }
    if (!lister_) {
        return false;
    }
    rescan();
    rescanTimer_.start();
    return true;
}

std::vector<std::string> MidiInput::knownSystems() {
    std::vector<RtMidi::Api> compiled;
    RtMidi::getCompiledApi(compiled);
    std::vector<std::string> names;
    for (const RtMidi::Api api : compiled) {
        if (api != RtMidi::RTMIDI_DUMMY) {
            names.push_back(RtMidi::getApiName(api));
        }
    }
    return names;
}

std::string MidiInput::knownSystemsText() {
    std::string text;
    for (const std::string& name : knownSystems()) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

bool MidiInput::isKnownSystem(const std::string& name) {
    const std::vector<std::string> known = knownSystems();
    return std::find(known.begin(), known.end(), lowerCase(name)) != known.end();
}

QString MidiInput::systemName() const {
    if (jack_) {
        return QString::fromStdString(RtMidi::getApiDisplayName(RtMidi::UNIX_JACK));
    }
    return lister_ ? QString::fromStdString(RtMidi::getApiDisplayName(lister_->getCurrentApi()))
                   : QString();
}

QStringList MidiInput::openPorts() const {
    QStringList names;
    if (jack_) {
        for (const std::string& source : jack_->sources()) {
            names.append(QString::fromStdString(source));
        }
        return names;
    }
    for (const auto& port : ports_) {
        names.append(QString::fromStdString(port->key));
    }
    return names;
}

QString MidiInput::statusText() const {
    if (!isOpen()) {
        return tr("MIDI input: none (no MIDI system could be opened; notes are not played)");
    }
    const QStringList ports = openPorts();
    if (ports.isEmpty()) {
        return tr("MIDI input: %1, no input port yet").arg(systemName());
    }
    return tr("MIDI input: %1, %2").arg(systemName(), ports.join(QStringLiteral(", ")));
}

void MidiInput::rescan() {
    if (!lister_) {
        return;
    }
    std::vector<unsigned int> numbers;
    const std::vector<std::string> keys = portKeys(*lister_, &numbers);
    bool changed = false;

    // Ports that went away, and ports whose input stopped (JACK closes a port whose client
    // ended), are closed without a word.
    const auto vanished = std::remove_if(ports_.begin(), ports_.end(), [&](const auto& port) {
        return std::find(keys.begin(), keys.end(), port->key) == keys.end() ||
               !port->input->isPortOpen();
    });
    if (vanished != ports_.end()) {
        ports_.erase(vanished, ports_.end());
        changed = true;
    }

    const RtMidi::Api api = lister_->getCurrentApi();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const bool isOpen = std::any_of(ports_.begin(), ports_.end(),
                                        [&](const auto& port) { return port->key == keys[i]; });
        if (isOpen) {
            continue;
        }
        try {
            auto port = std::make_unique<Port>();
            port->key = keys[i];
            port->input = std::make_unique<RtMidiIn>(api, kClientName);
            port->input->setErrorCallback(&quietErrors, nullptr);
            // Only note messages matter: system exclusive, clock and active sensing are
            // dropped by the library before they cost a hand-over.
            port->input->ignoreTypes(true, true, true);
            // The list may have changed since it was read: open the port only if it still
            // sits where it was seen.
            const unsigned int number = numbers[i];
            if (number >= port->input->getPortCount()) {
                continue;
            }
            const std::string name = port->input->getPortName(number);
            if (keys[i] != name && !keys[i].starts_with(name + " #")) {
                continue;
            }
            port->input->setCallback(&MidiInput::callback, this);
            port->input->openPort(number, kClientName);
            if (!port->input->isPortOpen()) {
                continue; // held by another program: tried again at the next rescan
            }
            ports_.push_back(std::move(port));
            changed = true;
        } catch (const RtMidiError&) {
            // A port that cannot be opened is skipped.
        }
    }
    if (changed) {
        emit portsChanged();
    }
}

void MidiInput::setRescanInterval(int milliseconds) {
    rescanTimer_.setInterval(milliseconds);
}

std::string MidiInput::preferredSystem(const QString& setting) {
    const char* variable = std::getenv(kApiVariable);
    if (variable != nullptr && *variable != '\0') {
        return lowerCase(QString::fromLocal8Bit(variable).trimmed().toStdString());
    }
    return setting.trimmed().toLower().toStdString();
}

std::vector<std::uint32_t> shortMidiMessages(const std::vector<unsigned char>& packet) {
    std::vector<std::uint32_t> messages;
    unsigned char running = 0; // the status that data bytes without one of their own take
    std::size_t i = 0;
    while (i < packet.size()) {
        const unsigned char byte = packet[i];
        if (byte >= 0xF8) {
            ++i; // real-time bytes may stand anywhere and carry nothing here
            continue;
        }
        unsigned char status = running;
        if (byte >= 0x80) {
            status = byte;
            ++i;
            running = status < 0xF0 ? status : 0;
        }
        const int length = status != 0 ? dataBytesAfter(status) : -1;
        if (length < 0) {
            // System exclusive (to its end) or a data byte without a status: passed over.
            while (i < packet.size() && packet[i] < 0x80) {
                ++i;
            }
            if (i < packet.size() && packet[i] == 0xF7) {
                ++i;
            }
            continue;
        }
        const auto wanted = static_cast<std::size_t>(length);
        std::size_t got = 0;
        while (got < wanted && i + got < packet.size() && packet[i + got] < 0x80) {
            ++got;
        }
        if (got < wanted) {
            i += got; // cut short by the next status byte or the end of the packet
            continue;
        }
        std::uint32_t packed = status;
        for (std::size_t k = 0; k < wanted; ++k) {
            packed |= static_cast<std::uint32_t>(packet[i + k]) << (8 * (k + 1));
        }
        i += wanted;
        messages.push_back(packed);
    }
    return messages;
}

void MidiInput::deliver(const std::vector<unsigned char>& message) {
    if (ending_) {
        return;
    }
    std::vector<std::uint32_t> messages = shortMidiMessages(message);
    if (messages.empty()) {
        return;
    }
    if (noteHandler_) {
        for (std::uint32_t& packed : messages) {
            const std::uint32_t velocity = packed >> 16 & 0x7FU;
            if ((packed & 0xF0U) == 0x90U && velocity > 0 &&
                noteHandler_(static_cast<int>(packed >> 8 & 0x7FU), static_cast<int>(velocity))) {
                packed |= kSounded;
            }
        }
    }
    hand(messages);
}

void MidiInput::hand(const std::vector<std::uint32_t>& messages) {
    // Runs on the port's thread: the messages go into the queue, and the owning thread is
    // woken (through its event queue) when the queue was empty; nothing else is touched.
    bool wake = false;
    {
        const std::lock_guard lock(arrivedMutex_);
        wake = arrived_.empty();
        arrived_.insert(arrived_.end(), messages.begin(), messages.end());
    }
    if (wake) {
        QMetaObject::invokeMethod(this, "takeArrived", Qt::QueuedConnection);
    }
}

void MidiInput::takeArrived() {
    // One at a time: a receiver that lets events run meanwhile (selecting a pad does) takes
    // the next message in its turn, never ahead of one still waiting here.
    while (true) {
        quint32 packed = 0;
        {
            const std::lock_guard lock(arrivedMutex_);
            if (arrived_.empty()) {
                return;
            }
            packed = arrived_.front();
            arrived_.pop_front();
        }
        emit message(packed);
    }
}

void MidiInput::callback(double /*timeStamp*/, std::vector<unsigned char>* message,
                         void* userData) {
    if (message != nullptr && userData != nullptr) {
        static_cast<MidiInput*>(userData)->deliver(*message);
    }
}

} // namespace padsmith
