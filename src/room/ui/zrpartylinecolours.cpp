#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolButton>
#include <initializer_list>

#include "core/ui/zrtxtbox.h"
#include "room/ui/zrpartylineform.h"
#include "skin/ui/zrskinwidgets.h"

namespace pk {

// The window colours its panels' controls itself, in one order: a box's own colours are set
// after the panel that holds it.
void Tzrpartyline::ApplySkinColours(const SkinColours& colours) {
    for (const auto& [name, colour] : colours) {
        if (name == "toolbartextfg") {
            const TRoomToolBar& bar = *toolbar_;
            for (QWidget* w : std::initializer_list<QWidget*>{
                     bar.changesettings(), bar.editextras(), bar.showstats(), bar.gscaption(),
                     bar.editcaption(), bar.statscaption()})
                SetControlTextColour(*w, colour);
        } else if (name == "misctextfg") {
            SetControlTextColour(*controls_->teamlabel(), colour);
        } else if (name == "boxbg" || name == "boxtextfg") {
            const bool fill = name == "boxbg";
            for (QWidget* box : std::initializer_list<QWidget*>{chatbox(), chatedit(), teamname(),
                                                                stats_, gamestats(), gameresults(),
                                                                gamehistory(), list_}) {
                if (fill)
                    SetControlFillColour(*box, colour);
                else
                    SetControlTextColour(*box, colour);
            }
        }
    }
}

}  // namespace pk
