// SPDX-License-Identifier: GPL-3.0-or-later
// Linked into the test programs of the ThreadSanitizer build only.
//
// QProcess (Qt 6.4) starts a program with clone(CLONE_VM | CLONE_VFORK): the child shares the
// parent's memory until it execs. ThreadSanitizer's clone interceptor (clang 14) handles every
// clone as a fork, so that child rewrites the parent's thread state and the runtime aborts
// ("CHECK failed: tsan_rtl.cpp ... thr->slot" in ForkAfter) in the first test that starts a
// program. A clone that shares memory goes straight to the C library's clone, the way the
// runtime already treats vfork; any other clone still passes through the interceptor.
#include <cstdarg>
#include <dlfcn.h>
#include <sched.h>
#include <sys/types.h>

extern "C" {

using CloneFunction = int (*)(int (*)(void*), void*, int, void*, ...);

int __interceptor_clone(int (*function)(void*), void* stack, int flags, void* argument, ...);

int clone(int (*function)(void*), void* stack, int flags, void* argument, ...) noexcept {
    va_list rest;
    va_start(rest, argument);
    auto* parentTid = va_arg(rest, pid_t*);
    void* tls = va_arg(rest, void*);
    auto* childTid = va_arg(rest, pid_t*);
    va_end(rest);
    if ((flags & CLONE_VM) != 0) {
        static const auto systemClone = reinterpret_cast<CloneFunction>(dlsym(RTLD_NEXT, "clone"));
        return systemClone(function, stack, flags, argument, parentTid, tls, childTid);
    }
    return __interceptor_clone(function, stack, flags, argument, parentTid, tls, childTid);
}

} // extern "C"
