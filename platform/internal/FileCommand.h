#ifndef SENSORCONTROL_PLATFORM_INTERNAL_FILECOMMAND_H
#define SENSORCONTROL_PLATFORM_INTERNAL_FILECOMMAND_H

#include <string>

// The file commands the library runs on its own files (removing, copying
// and moving parameter and scheme files, writing the watchdog interval),
// done with file-system calls instead of a shell, so that a start spawns no
// process. Each is recorded in ShellRecord with the text the shell command
// had, and names fixed paths that are mapped through PlatformRoot as
// sy_system maps them. Each returns the exit status the command would have
// had (0 on success) and, on failure, prints the reason on the console where
// the command's own complaint went.
class FileCommand {
public:
    // "rm PATH".
    static int remove(const std::string& p_strPath);
    // "cp FROM TO". TO is written as every parameter file is: through a
    // synced temporary in its directory renamed over it, so a power cut
    // leaves its old content or the new, never a torn file; an unchanged
    // content is not written again.
    static int copy(const std::string& p_strFrom, const std::string& p_strTo);
    // "mv FROM TO", TO naming a file on the same file system: a rename that
    // is synced to the disk.
    static int move(const std::string& p_strFrom, const std::string& p_strTo);
    // "echo TEXT >PATH": written in place (the watchdog's file cannot be
    // replaced), as the shell writes it.
    static int echo(const std::string& p_strText, const std::string& p_strPath);
};

// Adds a command to ShellRecord; defined beside it in Shell.cpp.
void recordShellCommand(const std::string& p_strCommand);

#endif
