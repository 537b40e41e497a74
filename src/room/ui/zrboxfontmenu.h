#pragma once
// The font menu of the room window's text boxes (the chat, the statistics): "Change Font..."
// asks for a font, "Restore Default Font" gives the boxes the window's again. Whether the player
// chose a font is kept, as the configuration stores the font only then.
#include <QMenu>
#include <functional>
#include <vector>

namespace pk {

class TBoxFontMenu : public QMenu {
public:
    // Replaces the font dialog; true when a font was chosen.
    using FontPicker = std::function<bool(QFont& font)>;

    // `changeName` and `defaultName` name the two entries (literals: their guards log under
    // them); `boxes` take the font, the first one's font is the one offered; `dialogParent` is
    // the font dialog's parent; `changed` runs after a change or a restore.
    TBoxFontMenu(QWidget* parent, const char* name, const char* changeName, const char* defaultName,
                 std::vector<QWidget*> boxes, QWidget& dialogParent,
                 std::function<void()> changed = {});

    void SetPicker(FontPicker picker) { picker_ = std::move(picker); }
    bool FontSet() const { return fontSet_; }
    // The font the configuration kept: the first box takes it, the others the first box's.
    void SetChosenFont(const QFont& font);
    QFont ChosenFont() const;

    void changefontClick();
    void defaultfontClick();

private:
    std::vector<QWidget*> boxes_;
    QWidget& dialogParent_;
    std::function<void()> changed_;
    FontPicker picker_;
    bool fontSet_ = false;
};

}  // namespace pk
