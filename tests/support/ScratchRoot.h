#ifndef SENSORCONTROL_TESTS_SUPPORT_SCRATCHROOT_H
#define SENSORCONTROL_TESTS_SUPPORT_SCRATCHROOT_H

#include <sys/types.h>

#include <string>

#include "platform/Clock.h"

// A private file-system root and a virtual clock for one test: every fixed
// path the library opens lands under a fresh temporary directory, and every
// wait returns at once. Both are undone on destruction.
class ScratchRoot {
public:
    ScratchRoot();
    ~ScratchRoot();
    ScratchRoot(const ScratchRoot&) = delete;
    ScratchRoot& operator=(const ScratchRoot&) = delete;

    const std::string& dir() const { return m_strDir; }
    // The real path of a fixed path such as "/mnt/mtd/log".
    std::string path(const std::string& p_strLogical) const { return m_strDir + p_strLogical; }

    void makeDir(const std::string& p_strLogical) const;
    // Creates the parent directories as needed.
    void writeFile(const std::string& p_strLogical, const std::string& p_strContent) const;
    std::string readFile(const std::string& p_strLogical) const;
    bool exists(const std::string& p_strLogical) const;
    // The inode number, which changes whenever a file is replaced; 0 if absent.
    ino_t inode(const std::string& p_strLogical) const;
    // Names in a directory, sorted, without "." and "..".
    std::string listDir(const std::string& p_strLogical) const;

    VirtualClock& clock() { return m_clock; }

private:
    std::string m_strDir;
    VirtualClock m_clock;
};

#endif
