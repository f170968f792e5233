#include "FileCommand.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "../OVFile.h"
#include "../PlatformRoot.h"

namespace {

// The complaint the command itself would have printed, in the same words.
int fail(const char* p_szFormat, const std::string& p_strPath, int p_nStatus = 1) {
    int error = errno;
    std::printf(p_szFormat, p_strPath.c_str(), std::strerror(error));
    return p_nStatus;
}

bool readWhole(const std::string& p_strPath, std::string& p_strContent) {
    int fd = ::open(p_strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info;
    bool ok = fstat(fd, &info) == 0;
    if (ok && S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        ok = false;
    }
    p_strContent.clear();
    char chunk[4096];
    while (ok) {
        ssize_t got = ::read(fd, chunk, sizeof(chunk));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        ok = got >= 0;
        if (got <= 0) {
            break;
        }
        p_strContent.append(chunk, static_cast<size_t>(got));
    }
    int error = errno;
    ::close(fd);
    errno = error;
    return ok;
}

void syncDirectoryOf(const std::string& p_strPath) {
    std::string::size_type slash = p_strPath.rfind('/');
    std::string directory = slash == std::string::npos ? "."
                            : slash == 0               ? "/"
                                                       : p_strPath.substr(0, slash);
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        ::close(fd);
    }
}

}  // namespace

int FileCommand::remove(const std::string& p_strPath) {
    recordShellCommand("rm " + p_strPath);
    std::string path = PlatformRoot::map(p_strPath);
    // No sync: a removal the power cut undoes leaves the old file, which is
    // what the next start finds and removes again.
    if (unlink(path.c_str()) != 0) {
        return fail("rm: cannot remove '%s': %s\n", path);
    }
    return 0;
}

int FileCommand::copy(const std::string& p_strFrom, const std::string& p_strTo) {
    recordShellCommand("cp " + p_strFrom + " " + p_strTo);
    std::string from = PlatformRoot::map(p_strFrom);
    std::string to = PlatformRoot::map(p_strTo);
    std::string content;
    if (!readWhole(from, content)) {
        return fail("cp: cannot open '%s' for reading: %s\n", from);
    }
    if (!replaceFileContent(to, content)) {
        return fail("cp: cannot create regular file '%s': %s\n", to);
    }
    return 0;
}

int FileCommand::move(const std::string& p_strFrom, const std::string& p_strTo) {
    recordShellCommand("mv " + p_strFrom + " " + p_strTo);
    std::string from = PlatformRoot::map(p_strFrom);
    std::string to = PlatformRoot::map(p_strTo);
    if (rename(from.c_str(), to.c_str()) != 0) {
        return fail("mv: cannot move '%s': %s\n", from);
    }
    syncDirectoryOf(to);
    return 0;
}

int FileCommand::echo(const std::string& p_strText, const std::string& p_strPath) {
    recordShellCommand("echo " + p_strText + " >" + p_strPath);
    std::string path = PlatformRoot::map(p_strPath);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return fail("sh: cannot create %s: %s\n", path, 2);
    }
    std::string line = p_strText + "\n";
    ssize_t written;
    do {
        written = ::write(fd, line.data(), line.size());
    } while (written < 0 && errno == EINTR);
    int status = written == static_cast<ssize_t>(line.size()) ? 0 : 1;
    if (status != 0) {
        fail("sh: echo: I/O error on %s: %s\n", path);
    }
    ::close(fd);
    return status;
}
