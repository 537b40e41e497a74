// Writes the tone that the music tests' MP3 and Ogg files are encoded from:
// 0.4 s of a 440 Hz sine, 16-bit mono PCM at 44100 Hz. Run at build time.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

void Put(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_tone OUT.wav\n");
        return 2;
    }
    constexpr int kRate = 44100;
    constexpr int kFrames = kRate * 2 / 5;
    std::string data;
    for (int i = 0; i < kFrames; ++i) {
        const double v = 12000.0 * std::sin(2.0 * M_PI * 440.0 * i / kRate);
        Put(data, static_cast<uint16_t>(static_cast<int16_t>(std::lround(v))), 2);
    }
    std::string wav = "RIFF";
    Put(wav, static_cast<uint32_t>(36 + data.size()), 4);
    wav += "WAVEfmt ";
    Put(wav, 16, 4);
    Put(wav, 1, 2);          // PCM
    Put(wav, 1, 2);          // mono
    Put(wav, kRate, 4);      // samples per second
    Put(wav, kRate * 2, 4);  // bytes per second
    Put(wav, 2, 2);          // block align
    Put(wav, 16, 2);         // bits per sample
    wav += "data";
    Put(wav, static_cast<uint32_t>(data.size()), 4);
    wav += data;
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(wav.data(), 1, wav.size(), f) != wav.size() || std::fclose(f) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
