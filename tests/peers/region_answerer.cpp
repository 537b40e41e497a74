#include "peers/region_answerer.h"

namespace pk::peers {

bool RegionAnswerer::Listen(std::uint16_t port) {
    listener_.OnAccept = [this](PeerConnection& c) {
        ++accepted;
        switch (mode) {
            case RegionMode::Close:
                c.CloseAfterSending();
                return;
            case RegionMode::Reset:
                c.Reset();
                return;
            default:
                break;
        }
        c.OnData = [this](PeerConnection& conn) {
            if (conn.Inbox().find("PING") == std::string::npos) {
                return;
            }
            conn.Inbox().clear();
            ++pings;
            if (mode == RegionMode::Answer) {
                conn.Send(answer);
            } else if (mode == RegionMode::Garbage) {
                conn.Send(std::string("\x00\xff\x01garbage\r\n", 12));
            }
        };
    };
    return listener_.Listen(port);
}

void RegionAnswerer::AnswerHeld() {
    for (PeerConnection* c : listener_.Connections()) {
        if (c->IsOpen() && !c->PeerClosed()) {
            c->Send(answer);
        }
    }
}

}  // namespace pk::peers
