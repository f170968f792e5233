#ifndef SENSORCTL_BOARDFILES_H
#define SENSORCTL_BOARDFILES_H

#include <string>
#include <vector>

// One file of the default board tree: its fixed path and its content.
struct BoardFile {
    std::string strPath;
    std::string strContent;
};

const std::vector<BoardFile>& boardFiles();

#endif
