// SPDX-License-Identifier: GPL-3.0-or-later
// Real-time priority for an audio thread: the scheduler's own call where the process may make
// it, else RealtimeKit, which grants it to desktop programs within bounds of its own.
#include "audio/Realtime.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <pthread.h>
#include <sched.h>

#if defined(__linux__)
#include <dbus/dbus.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace padsmith {

namespace {

// Above normal threads, below what sound servers and JACK give their own (PipeWire 88, JACK
// 70 and up), and within RealtimeKit's default bound (20).
constexpr int kWantedPriority = 20;

bool setFifo(int priority, std::string& why) {
    sched_param parameters{};
    parameters.sched_priority = priority;
    const int error = pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameters);
    if (error == 0) {
        return true;
    }
    why = std::string("SCHED_FIFO refused: ") + std::strerror(error);
    return false;
}

// The direct way: the wanted priority, or the highest the process's RLIMIT_RTPRIO allows.
int setDirectly(std::string& why) {
    if (setFifo(kWantedPriority, why)) {
        return kWantedPriority;
    }
#if defined(__linux__)
    rlimit limit{};
    if (getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        limit.rlim_cur > 0 && limit.rlim_cur < static_cast<rlim_t>(kWantedPriority)) {
        const auto allowed = static_cast<int>(limit.rlim_cur);
        std::string ignored;
        if (setFifo(allowed, ignored)) {
            return allowed;
        }
    }
#endif
    return 0;
}

#if defined(__linux__)

constexpr const char* kService = "org.freedesktop.RealtimeKit1";
constexpr const char* kObject = "/org/freedesktop/RealtimeKit1";
constexpr int kTimeoutMs = 500;

// A private connection to the system bus: closed again at once, and never one that ends the
// process when the bus goes away (libdbus's default for shared bus connections).
class SystemBus {
public:
    SystemBus() {
        dbus_error_init(&error_);
        connection_ = dbus_bus_get_private(DBUS_BUS_SYSTEM, &error_);
        if (connection_ != nullptr) {
            dbus_connection_set_exit_on_disconnect(connection_, FALSE);
        }
    }
    ~SystemBus() {
        if (connection_ != nullptr) {
            dbus_connection_close(connection_);
            dbus_connection_unref(connection_);
        }
        dbus_error_free(&error_);
    }
    SystemBus(const SystemBus&) = delete;
    SystemBus& operator=(const SystemBus&) = delete;

    bool connected() const { return connection_ != nullptr; }
    std::string lastError() const {
        return dbus_error_is_set(&error_) != 0 && error_.message != nullptr ? error_.message
                                                                            : "no answer";
    }

    // Sends `call` (taken over) and waits for the answer; null (and lastError) when refused.
    DBusMessage* ask(DBusMessage* call) {
        dbus_error_free(&error_);
        dbus_error_init(&error_);
        DBusMessage* answer =
            dbus_connection_send_with_reply_and_block(connection_, call, kTimeoutMs, &error_);
        dbus_message_unref(call);
        return answer;
    }

    // A property of RealtimeKit's, as a 64-bit number; false when it cannot be read.
    bool property(const char* name, std::int64_t& value) {
        DBusMessage* call = dbus_message_new_method_call(kService, kObject,
                                                         "org.freedesktop.DBus.Properties", "Get");
        if (call == nullptr) {
            return false;
        }
        const char* interface = kService;
        dbus_message_append_args(call, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &name,
                                 DBUS_TYPE_INVALID);
        DBusMessage* answer = ask(call);
        if (answer == nullptr) {
            return false;
        }
        bool read = false;
        DBusMessageIter outer;
        DBusMessageIter variant;
        if (dbus_message_iter_init(answer, &outer) != 0 &&
            dbus_message_iter_get_arg_type(&outer) == DBUS_TYPE_VARIANT) {
            dbus_message_iter_recurse(&outer, &variant);
            const int type = dbus_message_iter_get_arg_type(&variant);
            if (type == DBUS_TYPE_INT32) {
                dbus_int32_t number = 0;
                dbus_message_iter_get_basic(&variant, &number);
                value = number;
                read = true;
            } else if (type == DBUS_TYPE_INT64) {
                dbus_int64_t number = 0;
                dbus_message_iter_get_basic(&variant, &number);
                value = number;
                read = true;
            }
        }
        dbus_message_unref(answer);
        return read;
    }

private:
    DBusConnection* connection_ = nullptr;
    DBusError error_{};
};

// Asks RealtimeKit for `wanted` for the calling thread; the priority granted, or 0.
int askRealtimeKit(int wanted, std::string& why) {
    SystemBus bus;
    if (!bus.connected()) {
        why = "no system bus (" + bus.lastError() + ")";
        return 0;
    }
    std::int64_t highest = 0;
    std::int64_t cpuBound = 0;
    if (!bus.property("MaxRealtimePriority", highest) || !bus.property("RTTimeUSecMax", cpuBound)) {
        why = "RealtimeKit does not answer (" + bus.lastError() + ")";
        return 0;
    }
    // RealtimeKit grants nothing to a process that could take the processor for good: its
    // real-time threads must be bounded in CPU time between blocking calls.
    rlimit limit{};
    if (getrlimit(RLIMIT_RTTIME, &limit) != 0 || limit.rlim_max == RLIM_INFINITY ||
        limit.rlim_max > static_cast<rlim_t>(cpuBound)) {
        limit.rlim_cur = static_cast<rlim_t>(cpuBound);
        limit.rlim_max = static_cast<rlim_t>(cpuBound);
        if (setrlimit(RLIMIT_RTTIME, &limit) != 0) {
            why = std::string("RLIMIT_RTTIME cannot be bounded: ") + std::strerror(errno);
            return 0;
        }
    }
    const int priority = std::min<int>(wanted, static_cast<int>(highest));
    if (priority <= 0) {
        why = "RealtimeKit grants no real-time priority";
        return 0;
    }
    DBusMessage* call =
        dbus_message_new_method_call(kService, kObject, kService, "MakeThreadRealtime");
    if (call == nullptr) {
        why = "out of memory";
        return 0;
    }
    const auto thread = static_cast<dbus_uint64_t>(syscall(SYS_gettid));
    const auto asked = static_cast<dbus_uint32_t>(priority);
    dbus_message_append_args(call, DBUS_TYPE_UINT64, &thread, DBUS_TYPE_UINT32, &asked,
                             DBUS_TYPE_INVALID);
    DBusMessage* answer = bus.ask(call);
    if (answer == nullptr) {
        why = "RealtimeKit refused (" + bus.lastError() + ")";
        return 0;
    }
    dbus_message_unref(answer);
    return priority;
}

#endif

} // namespace

PriorityGrant raiseThreadPriority() {
    PriorityGrant grant;
    std::string direct;
    if (const int priority = setDirectly(direct)) {
        return {ThreadPriority::Realtime, priority, {}};
    }
#if defined(__linux__)
    std::string kit;
    if (const int priority = askRealtimeKit(kWantedPriority, kit)) {
        return {ThreadPriority::RealtimeKit, priority, {}};
    }
    grant.reason = direct + "; " + kit;
#else
    grant.reason = direct;
#endif
    return grant;
}

std::string describe(const PriorityGrant& grant) {
    switch (grant.kind) {
    case ThreadPriority::Realtime:
        return "real-time priority " + std::to_string(grant.priority) + " (SCHED_FIFO)";
    case ThreadPriority::RealtimeKit:
        return "real-time priority " + std::to_string(grant.priority) + " through RealtimeKit";
    case ThreadPriority::Normal:
        break;
    }
    return "normal priority (" + grant.reason + ")";
}

} // namespace padsmith
