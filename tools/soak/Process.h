#ifndef SOAK_PROCESS_H
#define SOAK_PROCESS_H

#include <cstddef>
#include <cstdio>

// What the process holds, to tell whether a run leaves anything behind.
struct ProcessUse {
    int nThreads = 0;      // system threads, the main one included
    int nGThreads = 0;     // the library's threads still running
    int nDescriptors = 0;  // open file descriptors
    // Bytes the heap has handed out; -1 where a sanitizer owns the heap.
    long nHeapBytes = -1;

    static ProcessUse now();
};

// The sanitizers make every step several times slower: runs scale down.
bool underSanitizer();

// Where soak reports: the original standard output. The library's console
// lines go to /dev/null from the first call on, as in sensorctl.
FILE* reportStream();

#endif
