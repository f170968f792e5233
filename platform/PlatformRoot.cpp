#include "PlatformRoot.h"

#include <cstdlib>
#include <mutex>

namespace {

std::mutex& overrideMutex() {
    static std::mutex s_mutex;
    return s_mutex;
}

std::string& overrideRoot() {
    static std::string s_root;
    return s_root;
}

std::string withoutTrailingSlash(std::string p_strRoot) {
    while (!p_strRoot.empty() && p_strRoot.back() == '/') {
        p_strRoot.pop_back();
    }
    return p_strRoot;
}

}  // namespace

std::string PlatformRoot::get() {
    {
        std::lock_guard<std::mutex> guard(overrideMutex());
        if (!overrideRoot().empty()) {
            return overrideRoot();
        }
    }
    const char* env = std::getenv("SENSORCONTROL_ROOT");
    return env == nullptr ? std::string() : withoutTrailingSlash(env);
}

void PlatformRoot::setOverride(const std::string& p_strRoot) {
    std::lock_guard<std::mutex> guard(overrideMutex());
    overrideRoot() = withoutTrailingSlash(p_strRoot);
}

std::string PlatformRoot::map(const std::string& p_strPath) {
    if (p_strPath.empty() || p_strPath[0] != '/') {
        return p_strPath;
    }
    return get() + p_strPath;
}
