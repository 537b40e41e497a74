#include "lobby/zrlobbyhost.h"

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "room/zrgamelink.h"
#include "room/zrroomhost.h"
#include "shell/zrshell.h"
#include "update/zrupdate.h"

namespace pk {

void LobbyHost::RoomChatLine(const std::string& line) {
    Room().PartylineAddLine(line);
}
void LobbyHost::InGameLine(const std::string& line) {
    Room().ShowGameMessage(line);
}
std::string LobbyHost::TimeStamp() {
    return pk::TimeStamp();
}
std::int64_t LobbyHost::Seconds() {
    return static_cast<std::int64_t>(SecondClock());
}
void LobbyHost::SetUIState(int state, bool on) {
    Room().SetUIState(state, on);
}
void LobbyHost::SetMainCaption(const std::string& caption) {
    Room().SetMainCaption(caption);
}
bool LobbyHost::ClosingDown() {
    return pk::ClosingDown.load() != 0;
}
bool LobbyHost::CloseAfterError() {
    return pk::CloseAfterError != 0;
}
void LobbyHost::CloseMainWindow() {
    MainWindow().CloseWindow();
}
void LobbyHost::ShowMessage(const std::string& text) {
    Room().ShowMessage(text);
}
void LobbyHost::UpdateStart(const std::string& host, const std::string& port) {
    pk::UpdateStart(host, port);
}
void LobbyHost::GameConnect(const std::string& host, int port) {
    pk::GameConnect(host, port);
}
void LobbyHost::GameDisconnect() {
    pk::GameDisconnect();
}

namespace {

LobbyHost defaultHost;
LobbyViews defaultViews;
LobbyHost* currentHost = &defaultHost;
LobbyViews* currentViews = &defaultViews;

}  // namespace

LobbyHost& LobbyShell() {
    return *currentHost;
}

LobbyViews& LobbyView() {
    return *currentViews;
}

void SetLobbyHost(LobbyHost* host) {
    currentHost = host ? host : &defaultHost;
}

void SetLobbyViews(LobbyViews* views) {
    currentViews = views ? views : &defaultViews;
}

}  // namespace pk
