#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/Platform.h"

namespace {

std::mutex g_sinkMutex;
std::shared_ptr<const DebugSink> g_sink;  // null: the default output

bool DebugToStderr() {
    const char* value = std::getenv("TOLMI_DEBUG");
    return value && std::strcmp(value, "1") == 0;
}

}  // namespace

void DebugOutput(std::string_view text) {
    std::shared_ptr<const DebugSink> sink;
    {
        const std::lock_guard lock(g_sinkMutex);
        sink = g_sink;
    }
    // Called outside the lock, so a sink may itself write debug output.
    if (sink) {
        (*sink)(text);
        return;
    }
    if (!DebugToStderr()) return;
    const std::lock_guard lock(g_sinkMutex);  // keeps lines of different threads apart
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

void SetDebugSink(DebugSink sink) {
    auto shared = sink ? std::make_shared<const DebugSink>(std::move(sink)) : nullptr;
    const std::lock_guard lock(g_sinkMutex);
    g_sink = std::move(shared);
}
