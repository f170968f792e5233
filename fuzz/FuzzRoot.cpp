#include "FuzzRoot.h"

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include "platform/PlatformRoot.h"

namespace {

std::string s_strRoot;

int removeEntry(const char* p_szPath, const struct stat*, int, struct FTW*) {
    return std::remove(p_szPath);
}

void removeRoot() {
    nftw(s_strRoot.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

}  // namespace

const std::string& fuzzRoot() {
    if (!s_strRoot.empty()) {
        return s_strRoot;
    }
    struct stat info;
    std::string pattern = stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode)
                              ? "/dev/shm/sensorcontrol-fuzz-XXXXXX"
                              : "/tmp/sensorcontrol-fuzz-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    s_strRoot = pattern;
    PlatformRoot::setOverride(s_strRoot);
    std::atexit(removeRoot);
    return s_strRoot;
}
