#include "audio/MidiInput.h"

#include <QMetaObject>
#include <RtMidi.h>
#include <algorithm>
#include <cstdlib>
#include <map>

namespace padsmith {

namespace {

constexpr const char* kClientName = "Padsmith";

// Warnings of the library (a port that vanished between listing and opening, a JACK server
// that is not running) would otherwise go to stderr on every rescan.
void quietErrors(RtMidiError::Type /*type*/, const std::string& /*text*/, void* /*data*/) {}

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
        const RtMidi::Api named = RtMidi::getCompiledApiByName(preferred);
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
    ports_.clear();
    lister_.reset();
}

bool MidiInput::open(const std::string& preferred) {
    closeAll();
    for (const RtMidi::Api api : systemsToTry(preferred)) {
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

QString MidiInput::systemName() const {
    return lister_ ? QString::fromStdString(RtMidi::getApiDisplayName(lister_->getCurrentApi()))
                   : QString();
}

QStringList MidiInput::openPorts() const {
    QStringList names;
    for (const auto& port : ports_) {
        names.append(QString::fromStdString(port->key));
    }
    return names;
}

QString MidiInput::statusText() const {
    if (!lister_) {
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
        return variable;
    }
    return setting.trimmed().toLower().toStdString();
}

void MidiInput::deliver(const std::vector<unsigned char>& message) {
    if (ending_ || message.empty() || message.size() > 3) {
        return;
    }
    quint32 packed = 0;
    for (std::size_t i = 0; i < message.size(); ++i) {
        packed |= static_cast<quint32>(message[i]) << (8 * i);
    }
    // Runs on the port's thread: the message goes into the queue, and the owning thread is
    // woken (through its event queue) when the queue was empty; nothing else is touched.
    bool wake = false;
    {
        const std::lock_guard lock(arrivedMutex_);
        wake = arrived_.empty();
        arrived_.push_back(packed);
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
