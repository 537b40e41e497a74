#pragma once
// The small window shown while a theme loads: a caption and a progress bar the
// theme reader advances. Created once at start-up, only shown and hidden.
#include <QWidget>

class QLabel;
class QProgressBar;

namespace pk {

class Tloadform : public QWidget {
public:
    explicit Tloadform(QWidget* parent = nullptr);

    QLabel* caption() const { return caption_; }
    QProgressBar* loadbar() const { return loadbar_; }

    // Shows the window centred on the screen with the bar at 0.
    void ShowCentred();
    // Moves the bar and repaints at once: loading runs on the main thread
    // and would otherwise leave the window blank until it is done.
    void SetPosition(int position, int maximum);

private:
    QLabel* caption_ = nullptr;
    QProgressBar* loadbar_ = nullptr;
};

// The one loading window, made by start-up; null before that.
extern Tloadform* loadform;

}  // namespace pk
