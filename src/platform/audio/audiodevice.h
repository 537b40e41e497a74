#pragma once
// The one audio output of the process and the voices that effects play on.
//
// The device is opened once at start-up and shared by everything that plays:
// effects (one voice per play, so that effects overlap), the music piece and,
// in the editor, the previews. Without a device (no sound card, no audio
// service) every call here quietly does nothing, so the program runs on in
// silence; the reason is logged once.
//
// Any thread may call in. Opening and closing exclude every other call; voices
// and music share the device (the mixer locks its own state).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace pk::audio {

struct DeviceOptions {
    // The SDL audio driver to use ("dummy", "disk", ...); empty leaves the
    // choice to SDL and its environment.
    std::string driver;
    // The General MIDI soundfont that MIDI music is synthesised with.
    std::string soundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
};

// Opens the device; true when it is open (also when it already was). A
// failure is logged and leaves the program silent.
bool OpenDevice(const DeviceOptions& options = {});
// Stops every voice and the music and closes the device. Voices and pieces
// that still exist go silent and stay harmless.
void CloseDevice();
bool DeviceOpen();

// Mixing format of the open device.
struct DeviceFormat {
    int rate = 0;
    int channels = 0;
};
DeviceFormat OpenFormat();

// Uncompressed samples: 8 bits are unsigned, 16 bits signed little-endian;
// channels interleaved.
struct PcmFormat {
    int channels = 1;
    int rate = 0;
    int bits = 8;
};

// Bytes an effect may take once converted to the device's format (about six
// minutes of CD audio); anything larger is refused instead of filling memory.
inline constexpr size_t kMaxVoiceBytes = 64u * 1024u * 1024u;

// One play of an effect. Destroying it stops it.
class Voice {
public:
    ~Voice();
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;

    // Still sounding (false once it ended, was stopped, or the device closed).
    bool Playing() const;

    struct Impl;

private:
    friend std::unique_ptr<Voice> PlayPcm(const PcmFormat&, std::string_view);
    explicit Voice(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Starts the samples once on a voice of their own, mixed with everything else
// that plays. nullptr without a device, or (logged) when the format cannot be
// played or converted.
std::unique_ptr<Voice> PlayPcm(const PcmFormat& format, std::string_view samples);

// Voices sounding right now, for tests and diagnostics.
int PlayingVoices();

}  // namespace pk::audio
