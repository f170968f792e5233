#include "OVLogger.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <vector>

#include "OVDeviceTime.h"
#include "PlatformRoot.h"

namespace {

// Logs are few and small; one lock keeps appends and rotations of every log
// in order, also when two loggers share a path.
std::mutex& logMutex() {
    static std::mutex s_mutex;
    return s_mutex;
}

std::string formatRecord(const char* p_szTag, const char* p_szText) {
    OVDeviceTime now = OVDeviceTime::getCurrentTime();
    char stamp[64];
    std::snprintf(stamp, sizeof(stamp), "%04u-%02u-%02u %02u:%02u:%02u", now.year, now.month,
                  now.day, now.hour, now.minute, now.second);
    std::string text = p_szText == nullptr ? "" : p_szText;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return std::string(stamp) + " [" + (p_szTag == nullptr ? "" : p_szTag) + "] " + text + "\n";
}

std::string numbered(const std::string& p_strPath, unsigned int p_nIndex) {
    return p_strPath + "." + std::to_string(p_nIndex);
}

void rotate(const std::string& p_strPath, unsigned int p_nFiles) {
    if (p_nFiles <= 1) {
        unlink(p_strPath.c_str());
        return;
    }
    unlink(numbered(p_strPath, p_nFiles - 1).c_str());
    for (unsigned int index = p_nFiles - 1; index > 1; --index) {
        rename(numbered(p_strPath, index - 1).c_str(), numbered(p_strPath, index).c_str());
    }
    rename(p_strPath.c_str(), numbered(p_strPath, 1).c_str());
}

// Cuts a record torn by a power cut (no final line break, or zero bytes left
// by the file system) back to the last whole line. Returns the size after.
off_t repairTail(int p_nFd, off_t p_nSize) {
    if (p_nSize <= 0) {
        return p_nSize;
    }
    const off_t kWindow = 4096;
    off_t start = p_nSize > kWindow ? p_nSize - kWindow : 0;
    std::vector<char> tail(static_cast<size_t>(p_nSize - start));
    ssize_t got = pread(p_nFd, tail.data(), tail.size(), start);
    if (got != static_cast<ssize_t>(tail.size())) {
        return p_nSize;
    }
    if (tail.back() == '\n') {
        return p_nSize;
    }
    off_t keep = start;
    for (size_t index = tail.size(); index > 0; --index) {
        if (tail[index - 1] == '\n') {
            keep = start + static_cast<off_t>(index);
            break;
        }
    }
    if (ftruncate(p_nFd, keep) != 0) {
        return p_nSize;
    }
    return keep;
}

int appendRecord(const std::string& p_strPath, const std::string& p_strRecord,
                 unsigned int p_nMaxBytes, unsigned int p_nFiles) {
    std::string record = p_strRecord;
    if (p_nMaxBytes > 0 && record.size() > p_nMaxBytes) {
        record.resize(p_nMaxBytes);
        record.back() = '\n';
    }
    std::lock_guard<std::mutex> guard(logMutex());
    for (int attempt = 0; attempt < 2; ++attempt) {
        int fd = ::open(p_strPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            return 0;
        }
        struct stat info;
        off_t size = fstat(fd, &info) == 0 ? info.st_size : 0;
        size = repairTail(fd, size);
        if (attempt == 0 && p_nMaxBytes > 0 && size > 0 &&
            static_cast<uint64_t>(size) + record.size() > p_nMaxBytes) {
            ::close(fd);
            rotate(p_strPath, p_nFiles);
            continue;
        }
        ssize_t written;
        do {
            written = ::write(fd, record.data(), record.size());
        } while (written < 0 && errno == EINTR);
        ::close(fd);
        return written == static_cast<ssize_t>(record.size()) ? 1 : 0;
    }
    return 0;
}

}  // namespace

OVLogger::OVLogger() = default;

OVLogger::~OVLogger() = default;

int OVLogger::init(const char* p_szPath, unsigned int p_nMaxBytes, unsigned int p_nFiles) {
    if (p_szPath == nullptr || *p_szPath == '\0') {
        return 0;
    }
    std::lock_guard<std::mutex> guard(logMutex());
    m_strPath = PlatformRoot::map(p_szPath);
    m_nMaxBytes = p_nMaxBytes;
    m_nFiles = p_nFiles == 0 ? 1 : p_nFiles;
    m_bInitialised = true;
    return 1;
}

int OVLogger::writeLog(const char* p_szTag, const char* p_szText) {
    std::string path;
    unsigned int maxBytes;
    unsigned int files;
    {
        std::lock_guard<std::mutex> guard(logMutex());
        if (!m_bInitialised) {
            return 0;
        }
        path = m_strPath;
        maxBytes = m_nMaxBytes;
        files = m_nFiles;
    }
    return appendRecord(path, formatRecord(p_szTag, p_szText), maxBytes, files);
}

int OVLogger::writeLog(const char* p_szPath, const char* p_szTag, const char* p_szText,
                       unsigned int p_nMaxBytes, unsigned int p_nFiles) {
    if (p_szPath == nullptr || *p_szPath == '\0') {
        return 0;
    }
    return appendRecord(PlatformRoot::map(p_szPath), formatRecord(p_szTag, p_szText), p_nMaxBytes,
                        p_nFiles == 0 ? 1 : p_nFiles);
}
