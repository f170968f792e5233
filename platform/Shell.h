#ifndef SENSORCONTROL_PLATFORM_SHELL_H
#define SENSORCONTROL_PLATFORM_SHELL_H
/// @file
/// sy_system, the shell command runner, and the record of the commands the library gave.

#include <cstdint>
#include <string>
#include <vector>

#include "Export.h"

/// Runs a shell command ("/bin/sh -c") and waits for it at most
/// p_nTimeoutSeconds (0: no limit); a command still running then is killed.
/// Returns the command's exit status, or -1 when it could not be run, was
/// killed or timed out. Absolute paths named in the command are mapped through
/// PlatformRoot (a word that starts with '/' at the start of the command, after
/// a blank, after '>' or '<', or after '='); "/dev/null" is left alone. The
/// command's standard error goes to standard output, with the library's other
/// console output. The shell is started without copying the host's address
/// space (vfork semantics), and its exit wakes the caller: the cost does not
/// grow with the host. The library's own file commands (removing, copying and
/// moving its parameter files, writing the watchdog) do not come here: they
/// run in-process and are recorded all the same.
SC_EXPORT int sy_system(const char* p_szCommand, int p_nTimeoutSeconds);

/// The commands the library gave, run through sy_system or in-process, as
/// the library wrote them (before the root mapping), oldest first. Only the
/// most recent 256 are kept.
class SC_EXPORT ShellRecord {
public:
    /// The recorded commands, oldest first.
    static std::vector<std::string> commands();
    /// Forgets the recorded commands.
    static void clear();
    /// The command as it is handed to the shell.
    static std::string mapCommand(const std::string& p_strCommand);
    /// How many shell processes sy_system has started since the library was
    /// loaded (clear() leaves it); for tests and benchmarks.
    static uint64_t spawned();
};

#endif
