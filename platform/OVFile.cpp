#include "OVFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "PlatformRoot.h"

namespace {

std::atomic<uint64_t> g_nWritten{0};
std::atomic<uint64_t> g_nSkipped{0};

std::string directoryOf(const std::string& p_strPath) {
    std::string::size_type slash = p_strPath.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : p_strPath.substr(0, slash);
}

bool writeAll(int p_nFd, const char* p_pData, size_t p_nLength) {
    while (p_nLength > 0) {
        ssize_t written = ::write(p_nFd, p_pData, p_nLength);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        p_pData += written;
        p_nLength -= static_cast<size_t>(written);
    }
    return true;
}

// True when the file at the path holds exactly these bytes.
bool hasContent(const std::string& p_strPath, const std::string& p_strContent) {
    int fd = ::open(p_strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info;
    bool same = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                static_cast<uint64_t>(info.st_size) == p_strContent.size();
    std::vector<char> chunk(4096);
    size_t offset = 0;
    while (same) {
        ssize_t got = ::read(fd, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            same = got == 0 && offset == p_strContent.size();
            break;
        }
        size_t count = static_cast<size_t>(got);
        same = offset + count <= p_strContent.size() &&
               p_strContent.compare(offset, count, chunk.data(), count) == 0;
        offset += count;
    }
    ::close(fd);
    return same;
}

// The temporary name replaceFileContent gives a file: a dot, the file's
// name, a dot and the six letters or digits mkostemp chose.
const char kTemporarySuffix[] = ".XXXXXX";
const size_t kTemporaryLetters = 6;

bool isTemporaryName(const std::string& p_strName) {
    if (p_strName.size() < kTemporaryLetters + 3 || p_strName[0] != '.' ||
        p_strName[p_strName.size() - kTemporaryLetters - 1] != '.') {
        return false;
    }
    for (size_t index = p_strName.size() - kTemporaryLetters; index < p_strName.size(); ++index) {
        if (!std::isalnum(static_cast<unsigned char>(p_strName[index]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

uint64_t FileWriteCounters::written() {
    return g_nWritten.load();
}

uint64_t FileWriteCounters::skipped() {
    return g_nSkipped.load();
}

bool replaceFileContent(const std::string& p_strPath, const std::string& p_strContent) {
    if (hasContent(p_strPath, p_strContent)) {
        ++g_nSkipped;
        return true;
    }
    std::string directory = directoryOf(p_strPath);
    std::string base = p_strPath.substr(p_strPath.rfind('/') + 1);
    std::string temporary = directory + "/." + base + kTemporarySuffix;
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat old;
    mode_t permissions = stat(p_strPath.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool ok = fchmod(fd, permissions) == 0 &&
              writeAll(fd, p_strContent.data(), p_strContent.size()) && fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) {
        ok = rename(name.data(), p_strPath.c_str()) == 0;
    }
    if (!ok) {
        unlink(name.data());
        return false;
    }
    ++g_nWritten;
    // The rename itself must reach the flash too.
    int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

int removeUnfinishedReplacements(const char* p_szDirectory) {
    if (p_szDirectory == nullptr || *p_szDirectory == '\0') {
        return 0;
    }
    std::string directory = PlatformRoot::map(p_szDirectory);
    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr) {
        return 0;
    }
    std::vector<std::string> names;
    while (struct dirent* entry = readdir(dir)) {
        if (isTemporaryName(entry->d_name)) {
            names.push_back(entry->d_name);
        }
    }
    closedir(dir);
    int removed = 0;
    for (const std::string& name : names) {
        removed += unlink((directory + "/" + name).c_str()) == 0 ? 1 : 0;
    }
    return removed;
}

OVFile::OVFile() = default;

OVFile::~OVFile() {
    close();
}

int OVFile::open(const char* p_szPath, unsigned char p_nMode) {
    close();
    if (p_szPath == nullptr || *p_szPath == '\0') {
        return 0;
    }
    std::string path = PlatformRoot::map(p_szPath);
    if (p_nMode == MODE_READ) {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return 0;
        }
        struct stat info;
        if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
            ::close(fd);
            return 0;
        }
        m_nFd = fd;
    } else if (p_nMode == MODE_REPLACE) {
        struct stat info;
        if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            return 0;
        }
        if (access(directoryOf(path).c_str(), W_OK | X_OK) != 0) {
            return 0;
        }
        m_strPending.clear();
    } else {
        return 0;
    }
    m_nMode = p_nMode;
    m_strPath = path;
    return 1;
}

int OVFile::close() {
    int result = 1;
    if (m_nMode == MODE_REPLACE) {
        result = replaceFileContent(m_strPath, m_strPending) ? 1 : 0;
        m_strPending.clear();
        m_strPending.shrink_to_fit();
    }
    if (m_nFd >= 0) {
        ::close(m_nFd);
        m_nFd = -1;
    }
    m_nMode = 0;
    return result;
}

uint64_t OVFile::getLength() {
    if (m_nMode == MODE_REPLACE) {
        return m_strPending.size();
    }
    struct stat info;
    if (m_nFd < 0 || fstat(m_nFd, &info) != 0) {
        return 0;
    }
    return static_cast<uint64_t>(info.st_size);
}

unsigned int OVFile::read(char* p_pBuffer, unsigned int p_nCount) {
    if (m_nFd < 0 || p_pBuffer == nullptr) {
        return 0;
    }
    unsigned int total = 0;
    while (total < p_nCount) {
        ssize_t got = ::read(m_nFd, p_pBuffer + total, p_nCount - total);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        total += static_cast<unsigned int>(got);
    }
    return total;
}

int OVFile::write(const char* p_pBuffer, unsigned int p_nCount) {
    if (m_nMode != MODE_REPLACE || (p_pBuffer == nullptr && p_nCount > 0) ||
        p_nCount > static_cast<unsigned int>(INT32_MAX)) {
        return -1;
    }
    m_strPending.append(p_pBuffer, p_nCount);
    return static_cast<int>(p_nCount);
}

int OVFile::isExist(const char* p_szPath) {
    if (p_szPath == nullptr || *p_szPath == '\0') {
        return 0;
    }
    struct stat info;
    return stat(PlatformRoot::map(p_szPath).c_str(), &info) == 0 ? 1 : 0;
}
