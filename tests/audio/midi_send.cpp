// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in MIDI keyboard for the tests: opens a virtual JACK output port and sends the
// given note-ons over and over until it is ended (or a minute has passed), so that a program
// that opens the port some time later still receives them.
//   midi_send PORT NOTE:VELOCITY...
#include <RtMidi.h>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: midi_send PORT NOTE:VELOCITY...\n");
        return 2;
    }
    std::vector<std::vector<unsigned char>> messages;
    for (int i = 2; i < argc; ++i) {
        const std::string pair = argv[i];
        const std::size_t colon = pair.find(':');
        if (colon == std::string::npos) {
            std::fprintf(stderr, "midi_send: %s is not NOTE:VELOCITY\n", argv[i]);
            return 2;
        }
        messages.push_back({0x90, static_cast<unsigned char>(std::stoi(pair.substr(0, colon))),
                            static_cast<unsigned char>(std::stoi(pair.substr(colon + 1)))});
    }
    try {
        RtMidiOut out(RtMidi::UNIX_JACK, "midi_send");
        out.openVirtualPort(argv[1]);
        const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (std::chrono::steady_clock::now() < end) {
            for (auto& message : messages) {
                out.sendMessage(&message);
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
    } catch (const RtMidiError& error) {
        std::fprintf(stderr, "midi_send: %s\n", error.getMessage().c_str());
        return 1;
    }
    return 0;
}
