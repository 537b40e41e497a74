// The element names the client serves itself (`tvalidskin`): each name's kind, class, what it
// binds and the colour parameters it applies. Any other name is kind 0, a picture of the skin
// only. Names compare exactly with the (lower-cased) entry name.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "skin/zrskin.h"

namespace pk {

// Element kinds.
enum SkinKind : uint8_t {
    skNone = 0,
    skAccountName = 1,
    skAccountPassword = 2,
    skServerAddress = 3,
    skConLogin = 4,
    skConSettings = 5,
    skConGame = 6,
    skConChat = 7,
    skConBrowser = 8,
    skConSetTheme = 9,
    skConSetBrowser = 10,
    skConSetServer = 11,
    skConSetGame = 12,
    skConSetControl = 13,
    skConSetMisc = 14,
    skChatBox = 15,
    skChatEditBox = 16,
    skAttackList = 17,
    skInventoryFirst = 18,
    skInventoryRest = 19,
    skFullInventory = 20,
    skNextPiece = 21,
    skHoldPiece = 22,
    skPlayer1 = 23,  // to skPlayer1 + 5
    skName1 = 29,    // to skName1 + 5
    skLevel = 35,
    skLineCount = 36,
    skSbText = 37,
    skMotdPage = 38,
};

// A colour parameter of a kind: the parameter's name, its default (0x00BBGGRR, -1 for none)
// and what it colours.
struct SkinColourParam {
    std::string_view name;
    int32_t defaultColour;
    std::string_view colours;
};

struct SkinKindRow {
    std::string_view name;
    uint8_t kind;
    SkinClass kindClass;
    // What it binds: for a control the control's name on its window, for a container the
    // window's class.
    std::string_view boundTo;
    std::span<const SkinColourParam> colours;
};

// Every row, in kind order.
std::span<const SkinKindRow> SkinKindTable();
// The row of an element name, or nullptr for a name of the skin only.
const SkinKindRow* FindSkinKind(std::string_view name);
const SkinKindRow* SkinKindRowOf(uint8_t kind);
// The events a class's handler takes, one bit each.
uint8_t ClassEvents(SkinClass c);

// The skin name of the form a container element stands for ("con_game" -> "game"); empty for
// any other name.
std::string_view ContainerSkinName(std::string_view elementName);

inline constexpr int32_t kColourBlack = 0x000000;
inline constexpr int32_t kColourWhite = 0xFFFFFF;
inline constexpr int32_t kColourNavy = 0x800000;
inline constexpr int32_t kColourRed = 0x0000FF;
inline constexpr int32_t kNoColour = -1;

}  // namespace pk
