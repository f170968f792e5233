#ifndef SENSORCONTROL_PLATFORM_OVFILE_H
#define SENSORCONTROL_PLATFORM_OVFILE_H
/// @file
/// OVFile, files on flash replaced whole so that a power cut cannot mix old and new.

#include <cstdint>
#include <string>

#include "Export.h"

/// A file opened by its fixed path (mapped through PlatformRoot).
///
/// Mode 1 opens an existing file for reading.
/// Mode 98 replaces the file's content with exactly the bytes written. The
/// bytes are collected in memory and committed when the file is closed (by
/// close() or the destructor): written to a temporary file in the same
/// directory, synced, and renamed over the old file, so a power cut leaves the
/// old content or the new, never a mix. When the new bytes equal the file's
/// current bytes nothing is written at all, to spare the flash. open() fails
/// when the directory does not exist or cannot be written.
class SC_EXPORT OVFile {
public:
    /// The open modes: 1 reads an existing file, 98 replaces its content.
    enum { MODE_READ = 1, MODE_REPLACE = 98 };

    OVFile();
    ~OVFile();
    OVFile(const OVFile&) = delete;
    OVFile& operator=(const OVFile&) = delete;

    /// Non-zero on success.
    int open(const char* p_szPath, unsigned char p_nMode);
    /// Ends the use of the file; for mode 98 commits the content. Non-zero on
    /// success (also when nothing had to be written).
    int close();

    /// The file's length; in mode 98 the bytes written so far.
    uint64_t getLength();
    /// The number of bytes read.
    unsigned int read(char* p_pBuffer, unsigned int p_nCount);
    /// The number of bytes taken, or -1 on failure.
    int write(const char* p_pBuffer, unsigned int p_nCount);

    /// Non-zero if something exists at the path (mapped through PlatformRoot).
    static int isExist(const char* p_szPath);

private:
    int m_nFd = -1;
    int m_nMode = 0;
    std::string m_strPath;  // mapped path
    std::string m_strPending;
};

/// How many file replacements reached the disk, and how many were skipped
/// because the content was unchanged (for benchmarks and diagnostics).
class SC_EXPORT FileWriteCounters {
public:
    /// Replacements that reached the disk.
    static uint64_t written();
    /// Replacements skipped because the content was unchanged.
    static uint64_t skipped();
};

/// Replaces the file at an already mapped path atomically, as mode 98 does.
/// Returns true on success; false leaves the old file untouched.
SC_EXPORT bool replaceFileContent(const std::string& p_strMappedPath,
                                  const std::string& p_strContent);

/// Removes the temporary files that replacements in a directory (a fixed path,
/// mapped through PlatformRoot) left when the power went off before their
/// rename; the number removed. Each cut can leave one, and nothing else ever
/// removes them, so a start-up calls this before anything writes there.
SC_EXPORT int removeUnfinishedReplacements(const char* p_szDirectory);

#endif
