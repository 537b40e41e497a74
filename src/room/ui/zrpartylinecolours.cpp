#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollArea>
#include <QTableWidget>
#include <QToolButton>
#include <initializer_list>

#include "core/ui/zrtxtbox.h"
#include "room/ui/zrpartylineform.h"
#include "skin/ui/zrskinwidgets.h"

namespace pk {

void Tzrpartyline::ApplySkinColours(const SkinColours& colours) {
    for (const auto& [name, colour] : colours) {
        if (name == "toolbartextfg") {
            for (QWidget* w :
                 std::initializer_list<QWidget*>{changesettings_, editextras_, showstats_,
                                                 gscaption_, editcaption_, statscaption_})
                SetControlTextColour(*w, colour);
        } else if (name == "misctextfg") {
            SetControlTextColour(*teamlabel_, colour);
        } else if (name == "boxbg" || name == "boxtextfg") {
            const bool fill = name == "boxbg";
            for (QWidget* box : std::initializer_list<QWidget*>{
                     chatbox_, chatedit_, teamname_, statsscrollbox_, gamestats_, gameresults_,
                     gamehistory_, userlist_}) {
                if (fill)
                    SetControlFillColour(*box, colour);
                else
                    SetControlTextColour(*box, colour);
            }
        }
    }
}

}  // namespace pk
