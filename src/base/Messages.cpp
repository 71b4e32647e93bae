#include "base/Messages.h"

MessageSink* g_messageSink = nullptr;

void ShowMessage(const std::u16string& text)
{
    if (g_messageSink)
        g_messageSink->ShowMessage(text);
}
