#pragma once
// A scripted region: listens on loopback and treats every ping connection by its mode. The
// client only counts the arrival of bytes, so the answer's content is the answerer's choice.
#include <cstdint>
#include <string>

#include "peers/loopback.h"

namespace pk::peers {

enum class RegionMode {
    Answer,   // "PONG" once the whole "PING" arrived (split reads included)
    Garbage,  // arbitrary bytes with a zero byte in answer to "PING"
    Silent,   // accepts and never answers
    Close,    // accepts and closes without answering
    Reset,    // accepts and resets
    Hold,     // answers only when the test calls AnswerHeld (a late answer)
};

class RegionAnswerer {
public:
    bool Listen(std::uint16_t port = 0);
    std::uint16_t Port() const { return listener_.Port(); }

    RegionMode mode = RegionMode::Answer;
    std::string answer = "PONG";
    int accepted = 0;  // connections accepted
    int pings = 0;     // complete "PING"s read

    // Answers every held connection that is still open.
    void AnswerHeld();

private:
    LoopbackListener listener_;
};

}  // namespace pk::peers
