#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Reading a whole file into memory and replacing a file in one step: the two
// ways every file of the program is read and written.

// How much of a file is read before the reading ends.
struct FileReadLimits {
    uint64_t m_maxBytes = UINT64_MAX;  // more bytes than this end the read
    std::size_t m_maxLineBytes = 0;    // a line longer than this ends the read; 0: no limit
};

enum class FileReadStatus {
    Complete,     // every byte was read
    CannotRead,   // not opened or a read error (a folder, a device that fails); m_reason says why
    TooLarge,     // more than m_maxBytes: m_bytes holds the first m_maxBytes
    LineTooLong,  // a line longer than m_maxLineBytes: m_bytes ends inside that line
};

struct FileContent {
    FileReadStatus m_status = FileReadStatus::CannotRead;
    std::string m_bytes;
    std::string m_reason;   // for CannotRead, the system's text ("Is a directory")
    bool m_missing = false;  // for CannotRead: there is no file of that name
};

// Reads the file at path (UTF-8) from its first byte to its end, as a stream:
// pipes, terminals and files of unknown size read too. A line ends at a line
// feed or a carriage return. Never throws.
FileContent ReadFileContent(const std::string& path, const FileReadLimits& limits = FileReadLimits());

// Replaces the file at a path by new content so that no reader ever sees a
// part of it, and a failure (a full disk, a folder that cannot be written)
// leaves the old file as it was:
//
//   Create   finds the file that is to be replaced: a symbolic link is followed
//            to the file it names (the link stays a link), and an existing
//            target that is not a regular file (a folder, a FIFO, a device) is
//            refused. Creates a temporary file of a name no other writer can
//            take, exclusively, in the target's own folder.
//   Write    appends to the temporary file.
//   Commit   flushes and syncs the temporary file and renames it over the
//            target. Returns true only when this writer's own rename happened;
//            concurrent writers to one path each replace the file whole, and
//            the last rename wins.
//
// The temporary file is removed whenever the content does not reach the target
// (a failure, or an object destroyed without Commit). The new file keeps the
// permission bits of the file it replaces.
class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // path is UTF-8. False with Error() set when the target is refused or the
    // temporary file cannot be created.
    bool Create(const std::string& path);

    bool Write(const char* data, std::size_t size);

    // The temporary file's path, for writers that write to a file by its name
    // (the file exists and is empty after Create). Commit checks that what it
    // renames is still the file Create made.
    const std::string& TemporaryPath() const { return m_temporaryPath; }
    // The file that Commit replaces (the link's target for a link).
    const std::string& TargetPath() const { return m_targetPath; }

    bool Commit();
    // Removes the temporary file; the target stays as it was.
    void Abandon();

    // Why the last step failed, as the system words it.
    const std::string& Error() const { return m_error; }

private:
    bool Fail(const std::string& reason);

    std::string m_targetPath;
    std::string m_temporaryPath;
    std::string m_error;
    int m_fd = -1;
    bool m_failed = false;
};

// Writes bytes to path through an AtomicFile. False with error set on failure.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error);
