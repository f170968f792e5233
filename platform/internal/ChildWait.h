#ifndef SENSORCONTROL_PLATFORM_INTERNAL_CHILDWAIT_H
#define SENSORCONTROL_PLATFORM_INTERNAL_CHILDWAIT_H

#include <sys/types.h>

// Waits for a child process the library started, at most p_nTimeoutSeconds
// (0: no limit), and reaps it. The child's exit wakes the waiter, through a
// pidfd where the kernel has one (Linux 5.3), else through a helper thread
// blocked in waitid; only a host that has no thread left to give makes it
// look every 10 ms. A child still running at the limit is killed (SIGKILL).
// Returns the child's exit status, or -1 when it was killed, ended by a
// signal, or was reaped by someone else (a host that reaps every child).
int waitForChild(pid_t p_pid, int p_nTimeoutSeconds);

// For the tests: false makes waitForChild wait as on a kernel without pidfd;
// true (the default) uses a pidfd where there is one.
void setPidFdWaits(bool p_bEnabled);

#endif
