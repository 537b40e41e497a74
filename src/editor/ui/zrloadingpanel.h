// The busy panel of the editor's main window: a framed text and progress bar
// in the middle of the window while a library loads or saves. The window is
// disabled meanwhile, so no command can reach a document half read.
#pragma once

#include <QFrame>
#include <string>

#include "editor/zrloadsave.h"

class QLabel;
class QProgressBar;

namespace pk {

class LoadingPanel : public QFrame {
    Q_OBJECT
public:
    // Hidden until shown; `window` is the window it covers.
    explicit LoadingPanel(QWidget* window);

    void ShowLoadingPanel(bool show, const std::string& text);
    void SetLoadingProgress(int percent);
    // The panel as load and save see it.
    KlbBusyPanel Callbacks();

private:
    QLabel* text_ = nullptr;
    QProgressBar* bar_ = nullptr;
};

}  // namespace pk
