// Sound and music files for the audio tests, made by the tests themselves: PCM
// WAV images and a tracker module from code, and an MP3 and an Ogg Vorbis file
// that the build encodes from a generated tone with Debian's lame and oggenc.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pk::test {

// A PCM WAV image: `bits` 8 (unsigned) or 16 (signed), the samples given per
// channel interleaved, e.g. {l0, r0, l1, r1, ...}.
std::string MakePcmWav(int channels, int rate, int bits, const std::vector<int>& samples);
// A mono 16-bit WAV at 44100 Hz of `frames` samples, all of one value.
std::string ConstantWav(int frames, int16_t value);

// A 4-channel ProTracker module playing one looped square-wave note for about
// half a second, then ending.
std::string MakeModule();

// A MIDI file with one short piano note (the synthesiser still lets it ring
// out for about two seconds before the piece counts as ended).
std::string ShortMidi();

// The build's encoded tone: "tone.mp3", "tone.ogg" (and its source "tone.wav").
std::filesystem::path MediaFile(const std::string& name);

}  // namespace pk::test
