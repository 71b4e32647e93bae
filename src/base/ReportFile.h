#pragma once

#include <cstdint>
#include <string>

#include "base/FileAccess.h"

// A narrow output file in code page 936 with Windows line ends: text reports,
// rich-text documents, the settings file and list exports are written through
// it. Text is converted from UTF-16 (a character without a code-page-936 form
// is written as "?"), and every "\n" is written as carriage return plus line
// feed whatever the platform.
//
// The content goes to a temporary file beside the target, which replaces the
// target only when everything was written (AtomicFile): a full disk or a
// failure half way never leaves a fragment where the old file stood, and a
// reader never sees a part of the new one. A target that is a symbolic link is
// written through to the file it names; one that is a folder, a FIFO or a
// device is refused. After a failed Open the writes are discarded silently and
// Finish reports the failure.
class ReportFile {
public:
    ReportFile() = default;
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    // Starts writing the file at path (UTF-8); the old file stays until
    // Finish. Returns whether the file could be started.
    bool Open(const std::string& path);

    void Write(const std::u16string& text);
    void Write(int64_t value);     // plain decimal
    void WriteReal(double value);  // printf "%g": six significant digits (1234567 gives 1.23457e+06)

    // Puts the written content in place of the file and returns whether that
    // happened with everything written. On failure,
    // when showMessage is set, shows "文件 < path > 写入有误，请检查文件是否被锁定或被打开状态 ！".
    // A second call, or a call without Open, returns false.
    bool Finish(bool showMessage);

    // Why the file could not be written, as the system words it ("No space
    // left on device", "not a regular file"); empty when nothing failed.
    const std::string& ErrorText() const { return m_file.Error(); }

private:
    void WriteBytes(const std::string& bytes);

    void Flush();

    std::string m_path;
    AtomicFile m_file;
    std::string m_buffer;  // written to the file in blocks
    bool m_opened = false;
    bool m_writeFailed = false;
};

// "文件 < path > 写入有误，请检查文件是否被锁定或被打开状态 ！" for a file that
// could not be written (path UTF-8).
std::u16string WriteErrorMessage(const std::string& path);

// The shortest "%.{p}g" text, p from 6 up to 17, that reads back to exactly the
// same double: 2995 gives 2995, 0.1 gives 0.1, 1234567 gives 1234567 (where
// "%g" would give 1.23457e+06 and lose the 7). Infinity and NaN give "inf",
// "-inf", "nan".
std::string FormatRealExact(double value);
