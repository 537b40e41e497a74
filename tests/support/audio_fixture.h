// The audio device for tests: SDL's dummy driver (plays in real time into
// nothing) or its disk driver (writes what the device mixes to a file, so a
// test can look at the samples that reached the output), and a catcher for the
// audio log.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace pk::test {

// Opens the device on the dummy driver; closes it when it goes.
class DummyAudio {
public:
    DummyAudio();
    ~DummyAudio();
    DummyAudio(const DummyAudio&) = delete;
    DummyAudio& operator=(const DummyAudio&) = delete;
    bool IsOpen() const { return open_; }

private:
    bool open_ = false;
};

// Opens the device on the disk driver; `Finish` closes it and returns what it
// wrote as 16-bit samples, channels interleaved.
class DiskAudio {
public:
    DiskAudio();
    ~DiskAudio();
    DiskAudio(const DiskAudio&) = delete;
    DiskAudio& operator=(const DiskAudio&) = delete;
    bool IsOpen() const { return open_; }
    int Channels() const { return channels_; }
    std::vector<int16_t> Finish();

private:
    TempDir dir_;
    std::string file_;
    bool open_ = false;
    int channels_ = 0;
};

// Collects the audio log's lines while it lives (standard error again after).
class AudioLogCatcher {
public:
    AudioLogCatcher();
    ~AudioLogCatcher();
    AudioLogCatcher(const AudioLogCatcher&) = delete;
    AudioLogCatcher& operator=(const AudioLogCatcher&) = delete;
    std::vector<std::string> Lines() const;
    // Whether a line holds `text`.
    bool Has(const std::string& text) const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

// Polls `done` every few milliseconds until it holds or `limitMs` passes (the
// limit only keeps a broken test from hanging); returns its last value.
bool WaitFor(const std::function<bool()>& done, int limitMs = 10000);

// Whether `samples` holds `run` consecutive values equal to `value`.
bool HasRun(const std::vector<int16_t>& samples, int16_t value, size_t run);
// Samples whose magnitude is above `threshold`.
size_t Loud(const std::vector<int16_t>& samples, int threshold = 256);

}  // namespace pk::test
