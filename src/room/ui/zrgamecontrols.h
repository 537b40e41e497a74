#pragma once
// The team and game controls below the room's player list: the team name with its update
// button, and the start/stop and pause buttons, whose captions and states the interface state
// sets.
#include <QWidget>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace pk {

class TRoomChatPanel;
class TRoomPlayerList;
struct RoomControlStates;

class TRoomGameControls : public QWidget {
public:
    // `chat` takes the keys back after a button; `list` shows a new own team.
    TRoomGameControls(QWidget* parent, TRoomChatPanel& chat, TRoomPlayerList& list);

    QLabel* teamlabel() const { return teamlabel_; }
    QLineEdit* teamname() const { return teamname_; }
    QPushButton* updateteam() const { return updateteam_; }
    QPushButton* startgame() const { return startgame_; }
    QPushButton* pausegame() const { return pausegame_; }
    // Takes `area` of its parent and lays the controls out in it.
    void Place(const QRect& area);

    void updateteamClick();
    void startgameClick();
    void pausegameClick();
    // Enter in the team name presses the team button when it can be pressed.
    void teamnameKeyPress();
    // The captions and states of the interface state.
    void ApplyControls(const RoomControlStates& states);
    void SetTeamNameText(const std::string& text);

private:
    TRoomChatPanel& chat_;
    TRoomPlayerList& list_;
    QLabel* teamlabel_ = nullptr;
    QLineEdit* teamname_ = nullptr;
    QPushButton* updateteam_ = nullptr;
    QPushButton* startgame_ = nullptr;
    QPushButton* pausegame_ = nullptr;
};

}  // namespace pk
