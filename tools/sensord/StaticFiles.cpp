#include "StaticFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace {

const off_t kMaxFile = 1 << 20;

const char* contentType(const std::string& p_strName) {
    static const struct {
        const char* szExtension;
        const char* szType;
    } kTypes[] = {
        {".html", "text/html; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},
        {".svg", "image/svg+xml"},
        {".json", "application/json"},
        {".png", "image/png"},
        {".ico", "image/x-icon"},
    };
    for (const auto& type : kTypes) {
        std::string extension = type.szExtension;
        if (p_strName.size() > extension.size() &&
            p_strName.compare(p_strName.size() - extension.size(), extension.size(), extension) ==
                0) {
            return type.szType;
        }
    }
    return nullptr;
}

// Letters, digits, '-', '_', '.', and '/' between names; no name starts
// with a dot, so neither ".." nor hidden files get through.
bool plainPath(const std::string& p_strPath) {
    if (p_strPath.empty() || p_strPath.size() > 200) {
        return false;
    }
    bool nameStart = true;
    for (char c : p_strPath) {
        bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_';
        if (c == '/') {
            if (nameStart) {
                return false;
            }
            nameStart = true;
        } else if (c == '.') {
            if (nameStart) {
                return false;
            }
        } else if (!letter) {
            return false;
        } else {
            nameStart = false;
        }
    }
    return !nameStart;
}

bool isDirectory(const std::string& p_strPath) {
    struct stat info;
    return stat(p_strPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

StaticFiles::StaticFiles(std::string p_strRoot) : m_strRoot(std::move(p_strRoot)) {}

std::string StaticFiles::defaultRoot() {
    char self[4096];
    ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (length > 0) {
        std::string program(self, static_cast<size_t>(length));
        std::string installed =
            program.substr(0, program.rfind('/')) + "/../share/sensorcontrol/web";
        if (isDirectory(installed)) {
            return installed;
        }
    }
    return SENSORD_WEB_SOURCE_DIR;
}

bool StaticFiles::serve(const std::string& p_strPath, HttpResponse& p_response) const {
    if (p_strPath.empty() || p_strPath[0] != '/') {
        return false;
    }
    std::string name = p_strPath == "/" ? "index.html" : p_strPath.substr(1);
    const char* type = contentType(name);
    if (!plainPath(name) || type == nullptr) {
        return false;
    }
    std::string path = m_strRoot + "/" + name;
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFile) {
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    if (!file) {
        return false;
    }
    p_response.nStatus = 200;
    p_response.strContentType = type;
    p_response.strBody = content.str();
    // The page is the camera's own: nothing from elsewhere, no framing.
    p_response.headers.emplace_back("Cache-Control", "no-cache");
    p_response.headers.emplace_back(
        "Content-Security-Policy",
        "default-src 'self'; img-src 'self' data:; style-src 'self' 'unsafe-inline'; "
        "frame-ancestors 'none'");
    p_response.headers.emplace_back("X-Frame-Options", "DENY");
    p_response.headers.emplace_back("Referrer-Policy", "no-referrer");
    return true;
}
