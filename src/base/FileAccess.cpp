#include "base/FileAccess.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>
#include <thread>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#define TREVAK_POSIX_FILES 1
#endif

namespace fs = std::filesystem;

namespace {

constexpr std::size_t CHUNK_BYTES = 1 << 16;
constexpr int MAX_LINK_DEPTH = 40;
constexpr int MAX_NAME_ATTEMPTS = 100;
// The temporary file's name starts with the target's name, cut to this many
// bytes so that the whole stays within the file system's name limit.
constexpr std::size_t MAX_NAME_STEM_BYTES = 64;

std::string SystemText(int error)
{
    return std::generic_category().message(error);
}

// Appends the bytes of a chunk to the content, ending the read at a line that
// grows past the limit. Returns false when the read must end.
bool TakeChunk(FileContent& content, const char* data, std::size_t size, std::size_t& lineBytes,
               const FileReadLimits& limits)
{
    if (limits.m_maxLineBytes == 0) {
        content.m_bytes.append(data, size);
        return true;
    }
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n' || data[i] == '\r') {
            lineBytes = 0;
            continue;
        }
        if (++lineBytes > limits.m_maxLineBytes) {
            content.m_bytes.append(data, i + 1);
            content.m_status = FileReadStatus::LineTooLong;
            return false;
        }
    }
    content.m_bytes.append(data, size);
    return true;
}

// A seed that differs between processes, threads and calls; the exclusive
// creation, not the seed, makes the name unique. (No std::random_device: it
// may need a file handle and throws without one.)
uint64_t NameSeed()
{
    static std::atomic<uint64_t> s_calls{0};
    uint64_t seed = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    seed ^= (s_calls.fetch_add(1) + 1) * 0x9E3779B97F4A7C15ull;
    seed ^= static_cast<uint64_t>(std::hash<std::thread::id>()(std::this_thread::get_id())) << 1;
#if TREVAK_POSIX_FILES
    seed ^= static_cast<uint64_t>(::getpid()) << 32;
#endif
    return seed;
}

// "folder/.name.1a2b3c4d.tmp" beside the target.
std::string TemporaryName(const fs::path& target, std::mt19937_64& random)
{
    std::string stem = target.filename().u8string();
    if (stem.size() > MAX_NAME_STEM_BYTES) {
        std::size_t cut = MAX_NAME_STEM_BYTES;
        while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80)
            --cut;  // never inside a UTF-8 sequence
        stem.resize(cut);
    }
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%012llx.tmp", static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    return (target.parent_path() / fs::u8path("." + stem + suffix)).u8string();
}

}  // namespace

#if TREVAK_POSIX_FILES

FileContent ReadFileContent(const std::string& path, const FileReadLimits& limits)
{
    FileContent content;
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        content.m_missing = errno == ENOENT;
        content.m_reason = SystemText(errno);
        return content;
    }
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(fd);
        content.m_reason = SystemText(EISDIR);
        return content;
    }

    content.m_status = FileReadStatus::Complete;
    std::size_t lineBytes = 0;
    char buffer[CHUNK_BYTES];
    for (;;) {
        const uint64_t room = limits.m_maxBytes - content.m_bytes.size();
        // At the limit one more byte is asked for, to tell a file of exactly
        // the limit from a larger one.
        const std::size_t want = room == 0 ? 1 : static_cast<std::size_t>(std::min<uint64_t>(room, sizeof buffer));
        const ssize_t got = ::read(fd, buffer, want);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            content.m_status = FileReadStatus::CannotRead;
            content.m_reason = SystemText(errno);
            content.m_bytes.clear();
            break;
        }
        if (got == 0)
            break;
        if (room == 0) {
            content.m_status = FileReadStatus::TooLarge;
            break;
        }
        if (!TakeChunk(content, buffer, static_cast<std::size_t>(got), lineBytes, limits))
            break;
    }
    ::close(fd);
    return content;
}

namespace {

// Follows symbolic links from path to the file they finally name, which need
// not exist. False (with error) for a loop or a link that cannot be read.
bool FinalTarget(const fs::path& path, fs::path& target, std::string& error)
{
    target = path;
    for (int depth = 0; depth < MAX_LINK_DEPTH; ++depth) {
        struct stat status {};
        if (::lstat(target.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return true;
        std::error_code code;
        const fs::path next = fs::read_symlink(target, code);
        if (code) {
            error = code.message();
            return false;
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    error = SystemText(ELOOP);
    return false;
}

}  // namespace

bool AtomicFile::Create(const std::string& path)
{
    Abandon();
    m_error.clear();
    m_failed = false;
    fs::path target;
    if (!FinalTarget(fs::u8path(path), target, m_error)) {
        m_failed = true;
        return false;
    }
    m_targetPath = target.u8string();

    struct stat status {};
    const bool exists = ::stat(target.c_str(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode))
        return Fail(S_ISDIR(status.st_mode) ? SystemText(EISDIR) : "not a regular file");

    std::mt19937_64 random(NameSeed());
    for (int attempt = 0; attempt < MAX_NAME_ATTEMPTS; ++attempt) {
        const std::string candidate = TemporaryName(target, random);
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_temporaryPath = candidate;
            // The new file replaces the old one with the old one's permissions.
            if (exists)
                ::fchmod(m_fd, status.st_mode & 07777);
            return true;
        }
        if (errno != EEXIST && errno != EINTR)
            return Fail(SystemText(errno));
    }
    return Fail(SystemText(EEXIST));
}

bool AtomicFile::Write(const char* data, std::size_t size)
{
    if (m_fd < 0 || m_failed)
        return false;
    while (size > 0) {
        const ssize_t written = ::write(m_fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return Fail(SystemText(written < 0 ? errno : ENOSPC));
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool AtomicFile::Commit()
{
    if (m_fd < 0 || m_failed)
        return false;
    if (::fsync(m_fd) != 0)
        return Fail(SystemText(errno));
    // A writer that wrote by name must have written the file made by Create.
    struct stat own {};
    struct stat named {};
    if (::fstat(m_fd, &own) != 0 || ::lstat(m_temporaryPath.c_str(), &named) != 0 || own.st_ino != named.st_ino ||
        own.st_dev != named.st_dev)
        return Fail("the temporary file was replaced while it was written");
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return Fail(SystemText(errno));
    if (::rename(m_temporaryPath.c_str(), m_targetPath.c_str()) != 0)
        return Fail(SystemText(errno));
    m_temporaryPath.clear();
    // The rename itself is made lasting by syncing the folder; a folder that
    // cannot be synced changes nothing about the file just written.
    const fs::path folder = fs::u8path(m_targetPath).parent_path();
    const int folderFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

void AtomicFile::Abandon()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporaryPath.empty()) {
        ::unlink(m_temporaryPath.c_str());
        m_temporaryPath.clear();
    }
}

#else  // portable fallback through the standard library

FileContent ReadFileContent(const std::string& path, const FileReadLimits& limits)
{
    FileContent content;
    std::error_code code;
    if (fs::is_directory(fs::u8path(path), code)) {
        content.m_reason = SystemText(EISDIR);
        return content;
    }
    std::FILE* file = std::fopen(fs::u8path(path).string().c_str(), "rb");
    if (!file) {
        content.m_missing = errno == ENOENT;
        content.m_reason = SystemText(errno);
        return content;
    }
    content.m_status = FileReadStatus::Complete;
    std::size_t lineBytes = 0;
    char buffer[CHUNK_BYTES];
    for (;;) {
        const uint64_t room = limits.m_maxBytes - content.m_bytes.size();
        const std::size_t want = room == 0 ? 1 : static_cast<std::size_t>(std::min<uint64_t>(room, sizeof buffer));
        const std::size_t got = std::fread(buffer, 1, want, file);
        if (got == 0) {
            if (std::ferror(file)) {
                content.m_status = FileReadStatus::CannotRead;
                content.m_reason = SystemText(errno);
                content.m_bytes.clear();
            }
            break;
        }
        if (room == 0) {
            content.m_status = FileReadStatus::TooLarge;
            break;
        }
        if (!TakeChunk(content, buffer, got, lineBytes, limits))
            break;
    }
    std::fclose(file);
    return content;
}

bool AtomicFile::Create(const std::string& path)
{
    Abandon();
    m_error.clear();
    m_failed = false;
    std::error_code code;
    fs::path target = fs::u8path(path);
    if (fs::is_symlink(target, code))
        target = fs::weakly_canonical(target, code);
    m_targetPath = target.u8string();
    const fs::file_status status = fs::status(target, code);
    if (fs::exists(status) && !fs::is_regular_file(status))
        return Fail("not a regular file");
    std::mt19937_64 random(NameSeed());
    for (int attempt = 0; attempt < MAX_NAME_ATTEMPTS; ++attempt) {
        const std::string candidate = TemporaryName(target, random);
        if (fs::exists(fs::u8path(candidate), code))
            continue;
        std::FILE* file = std::fopen(fs::u8path(candidate).string().c_str(), "wbx");
        if (!file)
            continue;
        std::fclose(file);
        m_temporaryPath = candidate;
        m_fd = 0;
        return true;
    }
    return Fail("the temporary file could not be created");
}

bool AtomicFile::Write(const char* data, std::size_t size)
{
    if (m_fd < 0 || m_failed)
        return false;
    std::FILE* file = std::fopen(fs::u8path(m_temporaryPath).string().c_str(), "ab");
    const bool ok = file && std::fwrite(data, 1, size, file) == size;
    if (file && std::fclose(file) != 0)
        return Fail(SystemText(errno));
    return ok || Fail(SystemText(errno));
}

bool AtomicFile::Commit()
{
    if (m_fd < 0 || m_failed)
        return false;
    std::error_code code;
    fs::rename(fs::u8path(m_temporaryPath), fs::u8path(m_targetPath), code);
    if (code)
        return Fail(code.message());
    m_temporaryPath.clear();
    m_fd = -1;
    return true;
}

void AtomicFile::Abandon()
{
    m_fd = -1;
    if (!m_temporaryPath.empty()) {
        std::error_code code;
        fs::remove(fs::u8path(m_temporaryPath), code);
        m_temporaryPath.clear();
    }
}

#endif

// Alike on both sides: a failure keeps its reason and removes the temporary
// file, as does a file given up.
AtomicFile::~AtomicFile()
{
    Abandon();
}

bool AtomicFile::Fail(const std::string& reason)
{
    m_error = reason;
    m_failed = true;
    Abandon();
    return false;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error)
{
    AtomicFile file;
    const bool written = file.Create(path) && file.Write(bytes.data(), bytes.size()) && file.Commit();
    error = written ? std::string() : file.Error();
    return written;
}
