// The editor's previews on the audio layer: WAV sounds played from memory,
// MIDI through the music channel, and the MP3 decoder that `TMPEGPlayer`
// drives. Each works without a device too: it then plays nothing.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "editor/MPEGPlay.h"
#include "editor/zrpreview.h"

namespace pk {

// Opens the audio device (a failure leaves the editor silent).
bool OpenEditorAudio();
void CloseEditorAudio();

std::unique_ptr<SoundPlayer> MakeAudioSoundPlayer();
std::unique_ptr<MidiPlayer> MakeAudioMidiPlayer();
// The MP3 decoder: nullptr when the device is missing or cannot decode MP3.
MpegLibraryLoader AudioMpegLoader();

// The file the decoder's `pcmfile` output writes: a RIFF WAVE image of
// 16-bit little-endian PCM samples, channels interleaved.
std::string PcmWaveImage(int rate, int channels, std::string_view samples);

}  // namespace pk
