// Runs a fuzz target over the files named on the command line (or the files
// in the directories named), so the corpora run as ordinary tests with any
// compiler.
#include <dirent.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize);

namespace {

void runFile(const std::string& p_strPath) {
    std::ifstream in(p_strPath, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    std::string bytes = content.str();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int p_nArgc, char** p_ppArgv) {
    int count = 0;
    for (int arg = 1; arg < p_nArgc; ++arg) {
        std::string path = p_ppArgv[arg];
        struct stat info;
        if (stat(path.c_str(), &info) != 0) {
            std::fprintf(stderr, "no such input: %s\n", path.c_str());
            return 1;
        }
        if (!S_ISDIR(info.st_mode)) {
            runFile(path);
            ++count;
            continue;
        }
        DIR* dir = opendir(path.c_str());
        while (dir != nullptr) {
            struct dirent* entry = readdir(dir);
            if (entry == nullptr) {
                break;
            }
            if (entry->d_name[0] != '.') {
                runFile(path + "/" + entry->d_name);
                ++count;
            }
        }
        if (dir != nullptr) {
            closedir(dir);
        }
    }
    std::printf("ran %d inputs\n", count);
    return 0;
}
