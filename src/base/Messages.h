#pragma once

#include <string>

// Where the core's messages for the user go ("优化计算中断 !", the write-error
// message of a report file ...). The window installs its prompts, the command
// line a collector; with none installed, messages are dropped.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const std::u16string& text) = 0;
};

extern MessageSink* g_messageSink;

void ShowMessage(const std::u16string& text);
