#include "SysfsGPIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "PlatformRoot.h"

namespace {

const char* const kGpioDir = "/sys/class/gpio";

std::string linePath(int p_nLine, const char* p_szFile) {
    std::string path = std::string(kGpioDir) + "/gpio" + std::to_string(p_nLine);
    if (p_szFile != nullptr) {
        path += "/";
        path += p_szFile;
    }
    return PlatformRoot::map(path);
}

// sysfs attributes take one write of the whole text; they are not files to
// replace atomically, so no temporary file and no rename here.
bool writeText(const std::string& p_strPath, const std::string& p_strText) {
    int fd = ::open(p_strPath.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    ssize_t written;
    do {
        written = ::write(fd, p_strText.data(), p_strText.size());
    } while (written < 0 && errno == EINTR);
    bool ok = written == static_cast<ssize_t>(p_strText.size());
    return ::close(fd) == 0 && ok;
}

// The attribute's text without the kernel's trailing newline.
bool readText(const std::string& p_strPath, std::string& p_strText) {
    int fd = ::open(p_strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char buffer[32];
    ssize_t got;
    do {
        got = ::read(fd, buffer, sizeof(buffer));
    } while (got < 0 && errno == EINTR);
    ::close(fd);
    if (got < 0) {
        return false;
    }
    p_strText.assign(buffer, static_cast<size_t>(got));
    while (!p_strText.empty() && (p_strText.back() == '\n' || p_strText.back() == ' ')) {
        p_strText.pop_back();
    }
    return true;
}

bool isDirectory(const std::string& p_strPath) {
    struct stat info;
    return stat(p_strPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

SysfsGPIO::SysfsGPIO(int p_nLinesPerGroup)
    : m_nLinesPerGroup(p_nLinesPerGroup > 0 ? p_nLinesPerGroup : 8) {}

int SysfsGPIO::start() {
    return 1;
}

int SysfsGPIO::stop() {
    return 1;
}

int SysfsGPIO::setLevel(int p_nGroup, int p_nPin, int p_nLevel) {
    int line = lineOf(p_nGroup, p_nPin);
    if (line < 0 || (p_nLevel != 0 && p_nLevel != 1)) {
        return 0;
    }
    std::lock_guard<std::mutex> guard(m_mutex);
    if (!prepareLine(line, "out")) {
        return 0;
    }
    if (!writeText(linePath(line, "value"), p_nLevel ? "1" : "0")) {
        // Someone may have unexported the line: start afresh next time.
        m_lines.erase(line);
        return 0;
    }
    return 1;
}

int SysfsGPIO::getLevel(int p_nGroup, int p_nPin, int& p_nLevel) {
    int line = lineOf(p_nGroup, p_nPin);
    if (line < 0) {
        return 0;
    }
    std::lock_guard<std::mutex> guard(m_mutex);
    std::string value;
    if (!prepareLine(line, "in") || !readText(linePath(line, "value"), value)) {
        m_lines.erase(line);
        return 0;
    }
    if (value != "0" && value != "1") {
        return 0;
    }
    p_nLevel = value == "1" ? 1 : 0;
    return 1;
}

int SysfsGPIO::lineOf(int p_nGroup, int p_nPin) const {
    if (p_nGroup < 0 || p_nPin < 0 || p_nPin >= m_nLinesPerGroup ||
        p_nGroup > (INT_MAX - p_nPin) / m_nLinesPerGroup) {
        return -1;
    }
    return p_nGroup * m_nLinesPerGroup + p_nPin;
}

bool SysfsGPIO::prepareLine(int p_nLine, const std::string& p_strDirection) {
    auto known = m_lines.find(p_nLine);
    if (known == m_lines.end()) {
        if (!isDirectory(linePath(p_nLine, nullptr))) {
            // The kernel creates "gpioN" while the export write returns; a
            // line it does not have fails that write or leaves no directory.
            if (!writeText(PlatformRoot::map(std::string(kGpioDir) + "/export"),
                           std::to_string(p_nLine)) ||
                !isDirectory(linePath(p_nLine, nullptr))) {
                return false;
            }
        }
        known = m_lines.emplace(p_nLine, std::string()).first;
    }
    if (known->second == p_strDirection) {
        return true;
    }
    // A line exported before us may already point the right way; rewriting
    // "out" would also drive it low for a moment.
    std::string current;
    std::string path = linePath(p_nLine, "direction");
    if (!readText(path, current)) {
        m_lines.erase(known);
        return false;
    }
    if (current != p_strDirection && !writeText(path, p_strDirection)) {
        m_lines.erase(known);
        return false;
    }
    known->second = p_strDirection;
    return true;
}
