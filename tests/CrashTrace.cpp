// SPDX-License-Identifier: GPL-3.0-or-later
// Prints the stack of a test program that crashes, so that a crash seen once in many runs
// leaves its place behind: which signal, on which thread, through which functions. Linked
// into every test program. The sanitizer builds print their own, better reports: there the
// handler stays out of their way.
#include <array>
#include <csignal>
#include <cstring>
#include <execinfo.h>
#include <sys/syscall.h>
#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define PADSMITH_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PADSMITH_SANITIZED 1
#endif

#ifndef PADSMITH_SANITIZED
namespace {

struct FatalSignal {
    int number;
    const char* name;
};
constexpr std::array kFatalSignals{FatalSignal{SIGSEGV, "SIGSEGV"}, FatalSignal{SIGBUS, "SIGBUS"},
                                   FatalSignal{SIGFPE, "SIGFPE"}, FatalSignal{SIGILL, "SIGILL"},
                                   FatalSignal{SIGABRT, "SIGABRT"}};

// Only async-signal-safe calls from here on: write, backtrace (loaded beforehand), raise.
void writeText(const char* text) {
    const ssize_t ignored = write(STDERR_FILENO, text, std::strlen(text));
    static_cast<void>(ignored);
}

void writeNumber(long number) {
    std::array<char, 24> digits{};
    std::size_t at = digits.size() - 1;
    const bool negative = number < 0;
    unsigned long rest =
        negative ? 0UL - static_cast<unsigned long>(number) : static_cast<unsigned long>(number);
    do {
        digits[--at] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0 && at > 1);
    if (negative) {
        digits[--at] = '-';
    }
    writeText(digits.data() + at);
}

void onFatalSignal(int number) {
    const char* name = "signal";
    for (const FatalSignal& fatal : kFatalSignals) {
        if (fatal.number == number) {
            name = fatal.name;
        }
    }
    writeText("\n*** Fatal signal ");
    writeNumber(number);
    writeText(" (");
    writeText(name);
    writeText(") in thread ");
    writeNumber(static_cast<long>(syscall(SYS_gettid)));
    writeText(" of process ");
    writeNumber(static_cast<long>(getpid()));
    writeText("; stack (addr2line -e PROGRAM -f -C ADDRESS for a line):\n");
    std::array<void*, 64> frames{};
    const int count = backtrace(frames.data(), static_cast<int>(frames.size()));
    backtrace_symbols_fd(frames.data(), count, STDERR_FILENO);
    writeText("*** End of stack\n");
    // The handler was reset on entry: the signal now takes its default course, so the exit
    // status (and a core dump where they are enabled) stays that of the crash.
    raise(number);
}

struct CrashTrace {
    CrashTrace() {
        // The first backtrace loads the unwinder, which is not safe inside a handler.
        std::array<void*, 4> warmUp{};
        backtrace(warmUp.data(), static_cast<int>(warmUp.size()));
        // A stack of its own, so that a stack overflow can still be reported.
        static std::array<char, 64 * 1024> alternateStack{};
        stack_t stack{};
        stack.ss_sp = alternateStack.data();
        stack.ss_size = alternateStack.size();
        sigaltstack(&stack, nullptr);
        struct sigaction action {};
        action.sa_handler = &onFatalSignal;
        action.sa_flags = SA_RESETHAND | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        for (const FatalSignal& fatal : kFatalSignals) {
            sigaction(fatal.number, &action, nullptr);
        }
    }
};

const CrashTrace installed;

} // namespace
#endif
