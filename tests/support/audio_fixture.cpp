#include "support/audio_fixture.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/audio/audiodevice.h"
#include "platform/audio/audiolog.h"

namespace pk::test {

DummyAudio::DummyAudio() {
    open_ = audio::OpenDevice({.driver = "dummy"});
}

DummyAudio::~DummyAudio() {
    audio::CloseDevice();
}

DiskAudio::DiskAudio() : file_(dir_.File("out.raw")) {
    // Read when the device opens; the driver writes the mix there in real time.
    setenv("SDL_DISKAUDIOFILE", file_.c_str(), 1);
    open_ = audio::OpenDevice({.driver = "disk"});
    channels_ = audio::OpenFormat().channels;
}

DiskAudio::~DiskAudio() {
    audio::CloseDevice();
    unsetenv("SDL_DISKAUDIOFILE");
}

std::vector<int16_t> DiskAudio::Finish() {
    audio::CloseDevice();
    std::ifstream in(file_, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                          (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    return samples;
}

AudioLogCatcher::AudioLogCatcher() {
    audio::SetLogSink([this](const std::string& line) {
        std::lock_guard lock(mutex_);
        lines_.push_back(line);
    });
}

AudioLogCatcher::~AudioLogCatcher() {
    audio::SetLogSink(nullptr);
}

std::vector<std::string> AudioLogCatcher::Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

bool AudioLogCatcher::Has(const std::string& text) const {
    std::lock_guard lock(mutex_);
    for (const auto& l : lines_)
        if (l.find(text) != std::string::npos)
            return true;
    return false;
}

bool WaitFor(const std::function<bool()>& done, int limitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool HasRun(const std::vector<int16_t>& samples, int16_t value, size_t run) {
    size_t count = 0;
    for (int16_t s : samples) {
        count = s == value ? count + 1 : 0;
        if (count >= run)
            return true;
    }
    return false;
}

size_t Loud(const std::vector<int16_t>& samples, int threshold) {
    size_t n = 0;
    for (int16_t s : samples)
        if (s > threshold || s < -threshold)
            ++n;
    return n;
}

}  // namespace pk::test
