#include "DiskManager.h"

#include "OVFile.h"

int DiskManager::isFileExist(const char* p_szPath) {
    return OVFile::isExist(p_szPath);
}
