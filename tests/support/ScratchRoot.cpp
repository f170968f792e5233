#include "ScratchRoot.h"

#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "platform/PlatformRoot.h"

namespace {

int removeEntry(const char* p_szPath, const struct stat*, int, struct FTW*) {
    return remove(p_szPath);
}

}  // namespace

ScratchRoot::ScratchRoot() {
    std::string pattern = "/tmp/sensorcontrol-test-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) {
        throw std::runtime_error("cannot create a scratch root");
    }
    m_strDir = name.data();
    PlatformRoot::setOverride(m_strDir);
    Clock::install(&m_clock);
}

ScratchRoot::~ScratchRoot() {
    Clock::install(nullptr);
    PlatformRoot::setOverride("");
    nftw(m_strDir.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

void ScratchRoot::makeDir(const std::string& p_strLogical) const {
    std::string full = path(p_strLogical);
    for (std::string::size_type slash = m_strDir.size() + 1; slash != std::string::npos;
         slash = full.find('/', slash + 1)) {
        mkdir(full.substr(0, slash).c_str(), 0755);
    }
    mkdir(full.c_str(), 0755);
}

void ScratchRoot::writeFile(const std::string& p_strLogical,
                            const std::string& p_strContent) const {
    std::string::size_type slash = p_strLogical.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        makeDir(p_strLogical.substr(0, slash));
    }
    std::ofstream out(path(p_strLogical), std::ios::binary | std::ios::trunc);
    out << p_strContent;
}

std::string ScratchRoot::readFile(const std::string& p_strLogical) const {
    std::ifstream in(path(p_strLogical), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool ScratchRoot::exists(const std::string& p_strLogical) const {
    struct stat info;
    return stat(path(p_strLogical).c_str(), &info) == 0;
}

ino_t ScratchRoot::inode(const std::string& p_strLogical) const {
    struct stat info;
    return stat(path(p_strLogical).c_str(), &info) == 0 ? info.st_ino : 0;
}

std::string ScratchRoot::listDir(const std::string& p_strLogical) const {
    std::vector<std::string> names;
    DIR* dir = opendir(path(p_strLogical).c_str());
    if (dir == nullptr) {
        return "";
    }
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const auto& name : names) {
        joined += (joined.empty() ? "" : " ") + name;
    }
    return joined;
}
