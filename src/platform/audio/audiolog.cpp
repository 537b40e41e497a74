#include "platform/audio/audiolog.h"

#include <cstdio>
#include <mutex>

namespace pk::audio {

namespace {

std::mutex& SinkMutex() {
    static std::mutex m;
    return m;
}

LogSink& Sink() {
    static LogSink sink;
    return sink;
}

}  // namespace

void SetLogSink(LogSink sink) {
    std::lock_guard lock(SinkMutex());
    Sink() = std::move(sink);
}

void Log(std::string_view line) {
    std::string text = "audio: " + std::string(line);
    // The sink runs under the lock so that it is never called after it was
    // replaced; sinks must not log themselves.
    std::lock_guard lock(SinkMutex());
    if (Sink()) {
        Sink()(text);
        return;
    }
    std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace pk::audio
