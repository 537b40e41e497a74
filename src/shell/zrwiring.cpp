#include "shell/zrwiring.h"

#include "core/zrlog.h"
#include "display/zrfieldpaint.h"
#include "display/zrgamedisplay.h"
#include "display/zrgamewindow.h"
#include "game/zrgame.h"
#include "net/zrsock.h"
#include "room/zrpartyline.h"
#include "room/zrviewslot.h"
#include "shell/zraudiohooks.h"
#include "shell/zrconfig.h"
#include "shell/zrlobbyhooks.h"
#include "shell/zrshell.h"
#include "shell/zrskinhooks.h"
#include "shell/zrupdatehooks.h"

namespace pk {

namespace {

ShellGameLinkHost linkHost;
ShellRoomHost roomHost;
ShellGameDisplay display;
ShellGameInput input;
ShellSpecialOutlets outlets;

}  // namespace

std::string ShellGameLinkHost::PlayerName() {
    return Room().AccountName();
}
bool ShellGameLinkHost::LobbyLinkUp() {
    return Room().LobbyConnected();
}
void ShellGameLinkHost::StopAllSounds() {
    Audio().StopAllSounds();
}
void ShellGameLinkHost::StartUpdateClient(const std::string& host, int port) {
    Update().StartUpdateClient(host, port);
}
void ShellGameLinkHost::AfterGameDisconnect() {
    Lobby().GameLinkClosed();
    CloseIfErrorPending();
}
void ShellGameLinkHost::LobbyJoinResult(bool joined) {
    Lobby().JoinResult(joined);
}
void ShellGameLinkHost::NoteLobbyActivity() {
    Lobby().NoteActivity();
}
GameLinkHost::JoinedGameInfo ShellGameLinkHost::JoinedGame() {
    return Lobby().JoinedGame();
}
bool ShellGameLinkHost::ProgramClosing() {
    return ClosingDown.load() != 0;
}
std::string ShellGameLinkHost::TeamNameText() {
    return Config.teamname;
}
void ShellGameLinkHost::ReportError(std::exception_ptr error) {
    ReportException(error);
}

void ShellRoomHost::PartylineAddLine(const std::string& line) {
    pk::PartylineAddLine(line);
}
void ShellRoomHost::RefreshUserList() {
    RoomParts::RefreshUserList();
    RoomView().RefreshUserList();
    const std::string hint = RoomTrayHint(Config.accountname, GameSock().IPAddr);
    if (!hint.empty())
        MainWindow().SetTrayHint(hint);
}
void ShellRoomHost::RepaintUserList() {
    RoomView().RepaintUserList();
}
void ShellRoomHost::ClearRoomChat() {
    RoomView().ClearChat();
}
bool ShellRoomHost::TeamUpdateEnabled() const {
    return RoomView().TeamUpdateEnabled();
}
void ShellRoomHost::SetTeamUpdateEnabled(bool on) {
    RoomView().SetTeamUpdateEnabled(on);
}
void ShellRoomHost::SetTeamNameText(const std::string& text) {
    RoomView().SetTeamNameText(text);
}
void ShellRoomHost::UpdateTeamClick() {
    RoomView().UpdateTeamClick();
}
void ShellRoomHost::RequestPlayerDetails(const std::string& name) {
    Lobby().RequestPlayerDetails(name);
}
void ShellRoomHost::ShowGameMessage(const std::string& line) {
    GameWindow().ShowGameMessage(line);
}
void ShellRoomHost::ClearGameChat() {
    GameWindow().ClearGameChat();
}
void ShellRoomHost::SetGameChatText(const std::string& text) {
    GameWindow().SetGameChatText(text);
}
void ShellRoomHost::ClearAttackList() {
    GameWindow().ClearAttackList();
}
void ShellRoomHost::AddAttackLine(const std::string& line) {
    GameWindow().AddAttackLine(line);
}
void ShellRoomHost::LobbyChatLine(const std::string& line) {
    Lobby().LobbyChatLine(line);
}
void ShellRoomHost::RedrawSlot(int slot) {
    RedrawField(slot);
}
void ShellRoomHost::ShowMessage(const std::string& text) {
    MainWindow().ShowMessage(text);
}
bool ShellRoomHost::LobbyConnected() const {
    return Lobby().LobbyLinkState() == 1;
}
bool ShellRoomHost::LobbyLinkDown() const {
    return Lobby().LobbyLinkState() == 2;
}
void ShellRoomHost::LobbyDisconnectWithoutRetry() {
    Lobby().LobbyDisconnect(false);
}
void ShellRoomHost::RequestThemeMusic() {
    Audio().MusicRequest();
}
void ShellRoomHost::StopMusic() {
    Audio().MusicStopRequest();
}
void ShellRoomHost::SetUIState(int state, bool on) {
    pk::SetUIState(state, on);
}
void ShellRoomHost::SetMainCaption(const std::string& caption) {
    MainWindow().SetCaption(caption);
}
void ShellRoomHost::SetGameEndTimer(bool running) {
    MainWindow().SetGameEndTimer(running);
}
void ShellRoomHost::ExecuteCommand(const std::string& command) {
    Skins().ExecuteCommand(command);
}
std::string ShellRoomHost::AccountName() const {
    return Config.accountname;
}

void ShellGameDisplay::RedrawOwnField() {
    RedrawField(ClientState.game.OwnSlot);
}
void ShellGameDisplay::RefreshDisplay(int mask, int slot) {
    updatestats(mask, slot);
}
void ShellGameDisplay::PlaySound(std::string_view name) {
    PlayThemeSound(name, true);
}

bool ShellGameInput::ClosingDown() {
    return pk::ClosingDown.load() != 0;
}
bool ShellGameInput::AnimDrop() {
    return Settings.options.animdrop != 0;
}
bool ShellGameInput::InGameWindowShown() {
    return GameWindow().Shown();
}
bool ShellGameInput::ChatEditFocused() {
    return GameWindow().ChatEditFocused();
}
void ShellGameInput::ActivateChatEdit() {
    GameWindow().ActivateChatEdit();
}
void ShellGameInput::RequestViewedSlot(int position) {
    pk::RequestViewedSlot(DisplayToSlot(position));
}

bool ShellSpecialOutlets::ShowIncomingSpecials() const {
    return Settings.options.showincsb != 0;
}
void ShellSpecialOutlets::SetTimedTimer(bool running) {
    MainWindow().SetTimedTimer(running);
}

void InstallGameWiring() {
    SetRoomHost(&roomHost);
    SetGameLinkHost(&linkHost);
    SetGameView(&display);
    SetGameInput(&input);
    SetSpecialOutlets(&outlets);
    BindGameSocket();
    InitRoomHandlers();
    InstallSpecialBlocks();
    InstallKeyActions();
    InstallViewedSlot();
}

void RemoveGameWiring() {
    SetSpecialOutlets(nullptr);
    SetGameInput(nullptr);
    SetGameView(nullptr);
    SetGameLinkHost(nullptr);
    SetRoomHost(nullptr);
}

}  // namespace pk
