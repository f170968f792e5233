#include "Process.h"

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include "platform/GThread.h"

namespace {

int entries(const char* p_szDirectory) {
    DIR* directory = opendir(p_szDirectory);
    if (directory == nullptr) {
        return -1;
    }
    int count = 0;
    while (dirent* entry = readdir(directory)) {
        count += entry->d_name[0] != '.' ? 1 : 0;
    }
    closedir(directory);
    return count;
}

}  // namespace

bool underSanitizer() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

ProcessUse ProcessUse::now() {
    ProcessUse use;
    use.nThreads = entries("/proc/self/task");
    use.nGThreads = GThread::runningCount();
    // The directory being read is itself one open descriptor.
    use.nDescriptors = entries("/proc/self/fd") - 1;
    if (!underSanitizer()) {
        use.nHeapBytes = static_cast<long>(mallinfo2().uordblks);
    }
    return use;
}

FILE* reportStream() {
    static FILE* s_pOut = [] {
        std::fflush(stdout);
        FILE* out = fdopen(dup(STDOUT_FILENO), "w");
        int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (devNull >= 0) {
            dup2(devNull, STDOUT_FILENO);
            close(devNull);
        }
        return out != nullptr ? out : stderr;
    }();
    return s_pOut;
}
