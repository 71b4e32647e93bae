#pragma once

// Faults of a full disk and of a process out of file handles, made with the
// process's resource limits so that they hold for the superuser too. POSIX only.

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

// While it lives, no file of this process grows beyond `bytes`: a write past
// that point fails as on a full disk (the signal such a write raises is
// ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (getrlimit(RLIMIT_FSIZE, &m_saved) != 0)
            return;
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_active)
            setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool Active() const { return m_active; }

private:
    rlimit m_saved{};
    void (*m_previousHandler)(int) = SIG_DFL;
    bool m_active = false;
};

// While it lives, this process cannot open another file: the next open fails
// as in a process out of file handles.
class NoMoreFiles {
public:
    NoMoreFiles()
    {
        if (getrlimit(RLIMIT_NOFILE, &m_saved) != 0)
            return;
        const int lowestFree = fcntl(0, F_DUPFD, 0);
        if (lowestFree < 0)
            return;
        close(lowestFree);
        rlimit limit = m_saved;
        limit.rlim_cur = static_cast<rlim_t>(lowestFree);
        m_active = setrlimit(RLIMIT_NOFILE, &limit) == 0;
    }
    ~NoMoreFiles()
    {
        if (m_active)
            setrlimit(RLIMIT_NOFILE, &m_saved);
    }
    NoMoreFiles(const NoMoreFiles&) = delete;
    NoMoreFiles& operator=(const NoMoreFiles&) = delete;

    bool Active() const { return m_active; }

private:
    rlimit m_saved{};
    bool m_active = false;
};
#endif
