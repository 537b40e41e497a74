#pragma once
// "Player Details": what the master server reports about a player (online state, room, game,
// away message, profile, statistics tables), the joins it offers, and the own away message
// and profile, which it edits and sends. Its place, size, column widths and tables' font are
// kept in the configuration ("userstatsx", "userstatsy", "userstatswidth", "userstatsheight",
// "pstatsw", "fpstats").
#include <QDialog>
#include <array>

#include "lobby/zrplayerdetails.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace pk {

class TZRTables;

class Tsbuserstats : public QDialog {
public:
    explicit Tsbuserstats(QWidget* parent = nullptr);
    ~Tsbuserstats() override;

    // Message 33: another player's details, read-only.
    void ShowPlayerDetails(const std::string& payload);
    // "Edit player details...": the own details, editable; false outside a room.
    bool ShowOwnDetails();
    // Message 34: the statistics tables (the dialog opens empty first when hidden).
    void ShowPlayerStats(const std::string& payload);

    void joinroomClick();
    void joingameClick();
    void applyClick();
    void cancelClick();
    int Result() const { return result_; }
    bool Own() const { return own_; }

    QTabWidget* pages() const { return pages_; }
    QLabel* awaylabel() const { return awaylabel_; }
    QPlainTextEdit* awaymemo() const { return awaymemo_; }
    QLabel* roomlabel() const { return roomlabel_; }
    QPushButton* joinroom() const { return joinroom_; }
    QLabel* gamelabel() const { return gamelabel_; }
    QLabel* gamecreator() const { return gamecreator_; }
    QPushButton* joingame() const { return joingame_; }
    QPushButton* apply() const { return apply_; }
    QPushButton* cancel() const { return cancel_; }
    TZRTables* stats() const { return stats_; }
    // The profile field of a key ("firstname" ... "icq"); "other" is a memo.
    QWidget* ProfileField(const char* key) const;

protected:
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowView(const TPlayerDetailsView& view);
    void Present();
    void ApplyStoredPlace();
    void KeepPlace();
    void KeepTables();
    TProfile ProfileFromFields() const;
    void FormClose();

    QTabWidget* pages_ = nullptr;
    QLabel* awaylabel_ = nullptr;
    QPlainTextEdit* awaymemo_ = nullptr;
    QLabel* roomlabel_ = nullptr;
    QPushButton* joinroom_ = nullptr;
    QLabel* gamelabel_ = nullptr;
    QLabel* gamecreator_ = nullptr;
    QPushButton* joingame_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* cancel_ = nullptr;
    TZRTables* stats_ = nullptr;
    std::array<QWidget*, ProfileFields.size()> profile_{};
    int result_ = 2;
    bool own_ = false;
    bool open_ = false;
    bool placed_ = false;  // the stored place and widths applied (after the configuration)
};

// The one player details dialog, made at start-up; null before that.
extern Tsbuserstats* sbuserstats;

}  // namespace pk
