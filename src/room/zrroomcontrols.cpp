#include "room/zrroomcontrols.h"

namespace pk {

namespace {

RoomControlStates states;
RoomControls defaultControls;
RoomControls* installed = &defaultControls;

}  // namespace

RoomControlStates& RoomControlsState() {
    return states;
}

RoomControls& RoomWindowControls() {
    return *installed;
}

void SetRoomControls(RoomControls* controls) {
    installed = controls ? controls : &defaultControls;
}

}  // namespace pk
