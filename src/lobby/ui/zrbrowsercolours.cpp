#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <initializer_list>

#include "core/ui/zrtxtbox.h"
#include "lobby/ui/zrbrowser.h"
#include "skin/ui/zrskinwidgets.h"

namespace pk {

// The room and user lists have no labels of their own here: "misctextfg" has nothing to colour.
void Tzrbrowser::ApplySkinColours(const SkinColours& colours) {
    for (const auto& [name, colour] : colours) {
        if (name == "headerbg") {
            SetControlFillColour(*roomStatus_, colour);
            SetControlFillColour(*topicbanner(), colour);
        } else if (name == "topicfg") {
            SetControlTextColour(*topicbanner(), colour);
        } else if (name == "roomfg") {
            SetControlTextColour(*roomname(), colour);
        } else if (name == "gameheadbg") {
            SetControlFillColour(*gamelabel(), colour);
        } else if (name == "gameheadfg") {
            SetControlTextColour(*gamelabel(), colour);
        } else if (name == "toolbartextfg") {
            for (const char* button :
                 {"creategame", "pingregionsbutton", "showstats", "createroomtb"})
                if (QToolButton* b = Button(button))
                    SetControlTextColour(*b, colour);
            SetControlTextColour(*statscaption(), colour);
        } else if (name == "boxbg" || name == "boxtextfg") {
            const bool fill = name == "boxbg";
            for (QWidget* box : std::initializer_list<QWidget*>{
                     chatbox(), gamelist(), userlist(), roomlist(), gamestats(), chateb()}) {
                if (fill)
                    SetControlFillColour(*box, colour);
                else
                    SetControlTextColour(*box, colour);
            }
        }
    }
}

}  // namespace pk
