#include "shell/zraudiohooks.h"
#include "shell/zrlobbyhooks.h"
#include "shell/zrskinhooks.h"
#include "shell/zrupdatehooks.h"

namespace pk {

bool VersionChanged = true;

namespace {

ShellAudio silentAudio;
ShellAudio* audio = &silentAudio;
ShellUpdate idleUpdate;
ShellUpdate* update = &idleUpdate;
ShellSkins* skins = &EngineSkins();
ShellLobby offlineLobby;
ShellLobby* lobby = &offlineLobby;

}  // namespace

ShellAudio& Audio() {
    return *audio;
}
void SetShellAudio(ShellAudio* a) {
    audio = a ? a : &silentAudio;
}
ShellUpdate& Update() {
    return *update;
}
void SetShellUpdate(ShellUpdate* u) {
    update = u ? u : &idleUpdate;
}
ShellSkins& Skins() {
    return *skins;
}
void SetShellSkins(ShellSkins* s) {
    skins = s ? s : &EngineSkins();
}
ShellLobby& Lobby() {
    return *lobby;
}
void SetShellLobby(ShellLobby* l) {
    lobby = l ? l : &offlineLobby;
}

}  // namespace pk
