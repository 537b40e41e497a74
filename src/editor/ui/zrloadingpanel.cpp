#include "editor/ui/zrloadingpanel.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace pk {

LoadingPanel::LoadingPanel(QWidget* window) : QFrame(window) {
    setFrameShape(QFrame::Panel);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    text_ = new QLabel(this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    layout->addWidget(text_);
    layout->addWidget(bar_);
    resize(300, 70);
    hide();
}

KlbBusyPanel LoadingPanel::Callbacks() {
    KlbBusyPanel panel;
    panel.ShowLoadingPanel = [this](bool show, const std::string& text) {
        ShowLoadingPanel(show, text);
    };
    panel.SetLoadingProgress = [this](int percent) { SetLoadingProgress(percent); };
    return panel;
}

void LoadingPanel::ShowLoadingPanel(bool show, const std::string& text) {
    QWidget* window = parentWidget();
    if (!show) {
        hide();
        window->setEnabled(true);
        return;
    }
    window->setEnabled(false);
    text_->setText(QString::fromStdString(text));
    bar_->setValue(0);
    move((window->width() - width()) / 2, (window->height() - height()) / 2);
    raise();
    QFrame::show();
    repaint();
}

void LoadingPanel::SetLoadingProgress(int percent) {
    bar_->setValue(percent);
    bar_->repaint();
}

}  // namespace pk
