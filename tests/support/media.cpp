#include "support/media.h"

#include "support/bytes.h"

namespace pk::test {

std::string MakePcmWav(int channels, int rate, int bits, const std::vector<int>& samples) {
    std::string data;
    for (int s : samples) data += LE(static_cast<uint32_t>(s), bits / 8);
    const int block = channels * bits / 8;
    std::string fmt = "fmt " + LE(16) + LE(1, 2) + LE(channels, 2) + LE(rate) +
                      LE(static_cast<uint32_t>(rate * block)) + LE(block, 2) + LE(bits, 2);
    std::string chunk = "data" + LE(static_cast<uint32_t>(data.size())) + data;
    if (data.size() & 1)
        chunk.push_back('\0');
    std::string body = "WAVE" + fmt + chunk;
    return "RIFF" + LE(static_cast<uint32_t>(body.size())) + body;
}

std::string ConstantWav(int frames, int16_t value) {
    return MakePcmWav(1, 44100, 16, std::vector<int>(static_cast<size_t>(frames), value));
}

std::string MakeModule() {
    constexpr int kSampleWords = 64;
    std::string mod(20, '\0');  // title
    mod.replace(0, 4, "test");
    for (int i = 0; i < 31; ++i) {
        std::string header(22, '\0');  // sample name
        if (i == 0) {
            header += BE(kSampleWords, 2);  // length in words
            header += Bytes({0, 64});       // finetune, volume
            header += BE(0, 2);             // loop start
            header += BE(kSampleWords, 2);  // loop length: the whole sample
        } else {
            header += BE(0, 2) + Bytes({0, 0}) + BE(0, 2) + BE(1, 2);
        }
        mod += header;
    }
    mod += Bytes({1, 127});         // song length 1 position, restart byte
    mod += std::string(128, '\0');  // order table: pattern 0
    mod += "M.K.";                  // 4 channels, 31 samples
    std::string pattern(64 * 4 * 4, '\0');
    auto cell = [&](int row, int channel, int sample, int period, int effect, int param) {
        char* c = &pattern[static_cast<size_t>((row * 4 + channel) * 4)];
        c[0] = static_cast<char>((sample & 0xF0) | (period >> 8));
        c[1] = static_cast<char>(period & 0xFF);
        c[2] = static_cast<char>(((sample & 0x0F) << 4) | effect);
        c[3] = static_cast<char>(param);
    };
    cell(0, 0, 1, 428, 0xF, 3);  // C-2 with sample 1; speed 3 ticks a row
    cell(7, 0, 0, 0, 0xD, 0);    // pattern break after 8 rows: the song ends
    mod += pattern;
    for (int i = 0; i < kSampleWords * 2; ++i)  // square wave, signed 8-bit
        mod.push_back(static_cast<char>((i / 8) % 2 ? 100 : -100));
    return mod;
}

std::string ShortMidi() {
    std::string track;
    track += Bytes({0x00, 0x90, 0x3C, 0x60});  // note on, middle C
    track += Bytes({0x18, 0x80, 0x3C, 0x40});  // note off after 24 ticks (1/16 s)
    track += Bytes({0x00, 0xFF, 0x2F, 0x00});  // end of track
    return "MThd" + BE(6) + BE(0, 2) + BE(1, 2) + BE(96, 2) + "MTrk" +
           BE(static_cast<uint32_t>(track.size())) + track;
}

std::filesystem::path MediaFile(const std::string& name) {
    return std::filesystem::path(PK_TEST_MEDIA_DIR) / name;
}

}  // namespace pk::test
