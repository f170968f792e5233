#include "Signals.h"

#include <pthread.h>
#include <signal.h>

namespace {

const int kDeferred[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t deferredSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kDeferred) {
        sigaddset(&set, signal);
    }
    return set;
}

}  // namespace

DeferredSignals::DeferredSignals() {
    ::signal(SIGPIPE, SIG_IGN);
    sigset_t set = deferredSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

DeferredSignals::~DeferredSignals() {
    deliverPending();
}

int DeferredSignals::pending() {
    sigset_t arrived;
    sigpending(&arrived);
    for (int signal : kDeferred) {
        if (sigismember(&arrived, signal)) {
            return signal;
        }
    }
    return 0;
}

void DeferredSignals::allow() {
    sigset_t set = deferredSet();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void DeferredSignals::deliverPending() {
    int signal = pending();
    if (signal == 0) {
        return;
    }
    // With the default action back, unblocking delivers it: the process ends
    // as it would have, and whoever waits for it sees which signal it was.
    ::signal(signal, SIG_DFL);
    allow();
}
