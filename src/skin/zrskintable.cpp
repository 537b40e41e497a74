#include "skin/zrskintable.h"

#include <array>

namespace pk {

namespace {

using C = SkinClass;

constexpr std::array<SkinColourParam, 1> kNameFg{{{"namefg", kColourBlack, "font"}}};
constexpr std::array<SkinColourParam, 1> kPasswordFg{{{"passwordfg", kColourBlack, "font"}}};
constexpr std::array<SkinColourParam, 1> kServerFg{{{"serverfg", kColourBlack, "font"}}};
constexpr std::array<SkinColourParam, 1> kChatBoxFg{{{"chatboxtextfg", kColourBlack, "font"}}};
constexpr std::array<SkinColourParam, 1> kChatEditFg{{{"chatedittextfg", kColourBlack, "font"}}};
constexpr std::array<SkinColourParam, 1> kAttackFg{{{"attacktextfg", kColourBlack, "font"}}};
constexpr std::array<SkinColourParam, 4> kChat{{
    {"toolbartextfg", kColourNavy, "toolbar font"},
    {"misctextfg", kColourBlack, "team label font"},
    {"boxbg", kColourWhite, "chat box, chat edit, team name, statistics and player list colour"},
    {"boxtextfg", kColourBlack, "their font colour"},
}};
constexpr std::array<SkinColourParam, 9> kBrowser{{
    {"headerbg", kNoColour, "room status box colour"},
    {"topicfg", kColourRed, "topic font"},
    {"roomfg", kColourBlack, "room name font"},
    {"gameheadbg", kColourWhite, "game label colour"},
    {"gameheadfg", kColourBlack, "game label font"},
    {"toolbartextfg", kColourNavy, "game and room toolbar fonts"},
    {"misctextfg", kColourBlack, "room and user list label fonts"},
    {"boxbg", kColourWhite,
     "chat box, game list, user list, room list, game statistics and chat edit colour"},
    {"boxtextfg", kColourBlack, "their font colour"},
}};

constexpr SkinKindRow kTable[] = {
    {"accountname", skAccountName, C::Control, "accountname", kNameFg},
    {"accountpassword", skAccountPassword, C::Control, "accountpass", kPasswordFg},
    {"serveraddress", skServerAddress, C::Control, "serveraddress", kServerFg},
    {"con_login", skConLogin, C::Container, "Tzrtitle", {}},
    {"con_settings", skConSettings, C::Container, "Tzrsettings", {}},
    {"con_game", skConGame, C::Container, "Tzrgame", {}},
    {"con_chat", skConChat, C::Container, "Tzrpartyline", kChat},
    {"con_browser", skConBrowser, C::Container, "Tzrbrowser", kBrowser},
    {"con_settheme", skConSetTheme, C::Container, "Tzrstheme", {}},
    {"con_setbrowser", skConSetBrowser, C::Container, "Tzrsbrowser", {}},
    {"con_setserver", skConSetServer, C::Container, "Tzrsserver", {}},
    {"con_setgame", skConSetGame, C::Container, "Tzrsgame", {}},
    {"con_setcontrol", skConSetControl, C::Container, "Tzrskey", {}},
    {"con_setmisc", skConSetMisc, C::Container, "Tzrsmisc", {}},
    {"chatbox", skChatBox, C::Control, "ingamepline", kChatBoxFg},
    {"chateditbox", skChatEditBox, C::Control, "msgbox", kChatEditFg},
    {"attacklist", skAttackList, C::Control, "attacks", kAttackFg},
    {"inventoryfirst", skInventoryFirst, C::GameDisplay, {}, {}},
    {"inventoryrest", skInventoryRest, C::GameDisplay, {}, {}},
    {"fullinventory", skFullInventory, C::GameDisplay, {}, {}},
    {"nextpiece", skNextPiece, C::GameDisplay, {}, {}},
    {"holdpiece", skHoldPiece, C::GameDisplay, {}, {}},
    {"player1", skPlayer1, C::GameDisplay, {}, {}},
    {"player2", skPlayer1 + 1, C::GameDisplay, {}, {}},
    {"player3", skPlayer1 + 2, C::GameDisplay, {}, {}},
    {"player4", skPlayer1 + 3, C::GameDisplay, {}, {}},
    {"player5", skPlayer1 + 4, C::GameDisplay, {}, {}},
    {"player6", skPlayer1 + 5, C::GameDisplay, {}, {}},
    {"name1", skName1, C::GameDisplay, {}, {}},
    {"name2", skName1 + 1, C::GameDisplay, {}, {}},
    {"name3", skName1 + 2, C::GameDisplay, {}, {}},
    {"name4", skName1 + 3, C::GameDisplay, {}, {}},
    {"name5", skName1 + 4, C::GameDisplay, {}, {}},
    {"name6", skName1 + 5, C::GameDisplay, {}, {}},
    {"level", skLevel, C::GameDisplay, {}, {}},
    {"linecount", skLineCount, C::GameDisplay, {}, {}},
    {"sbtext", skSbText, C::GameDisplay, {}, {}},
    {"motdpage", skMotdPage, C::Control, "motdpage", {}},
};

}  // namespace

std::span<const SkinKindRow> SkinKindTable() {
    return kTable;
}

const SkinKindRow* FindSkinKind(std::string_view name) {
    for (const SkinKindRow& row : kTable) {
        if (row.name == name)
            return &row;
    }
    return nullptr;
}

const SkinKindRow* SkinKindRowOf(uint8_t kind) {
    for (const SkinKindRow& row : kTable) {
        if (row.kind == kind)
            return &row;
    }
    return nullptr;
}

uint8_t ClassEvents(SkinClass c) {
    switch (c) {
        case SkinClass::Control:
            return 1u << seUpdate;
        case SkinClass::Container:
            return (1u << seLayout) | (1u << seActivated) | (1u << seDeactivated) |
                   (1u << seShown) | (1u << seHidden);
        case SkinClass::GameDisplay:
            return 1u << sePaint;
        case SkinClass::None:
            break;
    }
    return 0;
}

std::string_view ContainerSkinName(std::string_view elementName) {
    const SkinKindRow* row = FindSkinKind(elementName);
    if (!row || row->kindClass != SkinClass::Container)
        return {};
    return elementName.substr(4);  // after "con_"
}

}  // namespace pk
