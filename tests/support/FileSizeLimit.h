#pragma once

#include <sys/resource.h>

// A full disk for the calling process: while this lives, no file may grow past
// `bytes`, and a write beyond fails (EFBIG) instead of raising SIGXFSZ. Works
// without privileges and on any file system, so a test needs no small mount.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();

    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_saved;
    void (*m_savedHandler)(int);
};
