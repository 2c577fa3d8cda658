// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace padsmith {

// How an audio thread came to run.
enum class ThreadPriority {
    Normal,      // neither way was granted: the thread runs at normal priority
    Realtime,    // real-time scheduling set by the program itself (root, RLIMIT_RTPRIO)
    RealtimeKit, // real-time scheduling granted by RealtimeKit (rtkit) over D-Bus
};

struct PriorityGrant {
    ThreadPriority kind = ThreadPriority::Normal;
    int priority = 0;   // the real-time priority granted, 0 for Normal
    std::string reason; // for Normal: why each way failed
};

// Gives the calling thread real-time (SCHED_FIFO) priority: set directly where the system's
// limits allow it, else asked of RealtimeKit, the desktop's service for it, as other audio
// programs do; else the thread stays as it was. May wait for the system bus (up to half a
// second): call it before the thread has sound to deliver. RealtimeKit wants the process's
// RLIMIT_RTTIME bounded; it is set to the service's bound before asking.
PriorityGrant raiseThreadPriority();

// "real-time priority 20 (SCHED_FIFO)", "real-time priority 20 through RealtimeKit",
// "normal priority (...why...)".
std::string describe(const PriorityGrant& grant);

} // namespace padsmith
