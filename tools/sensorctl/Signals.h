#ifndef SENSORCTL_SIGNALS_H
#define SENSORCTL_SIGNALS_H

// sensorctl applies a value to the camera and then saves it: ended between
// the two, the module would hold a value the parameter files do not. So
// while a command runs:
//  - a closed output (a pipe whose reader left, a terminal gone) is the end
//    of the output, not of the process: SIGPIPE is ignored;
//  - SIGINT, SIGTERM and SIGHUP wait until the command has finished and
//    saved; then the process ends as the signal would have ended it.
// Construct one first thing in main, before any thread starts, so every
// thread inherits the deferral.
class DeferredSignals {
public:
    DeferredSignals();
    ~DeferredSignals();
    DeferredSignals(const DeferredSignals&) = delete;
    DeferredSignals& operator=(const DeferredSignals&) = delete;

    // A deferred signal that has arrived, or 0; for long commands that stop
    // early when asked.
    static int pending();
    // For a command that handles SIGINT and SIGTERM itself (a server that
    // runs until stopped): lets them through to the calling thread.
    static void allow();
    // Ends the process with a deferred signal that arrived, if any.
    static void deliverPending();
};

#endif
