#include "shell/ui/zrloadtheme.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace pk {

Tloadform* loadform = nullptr;

Tloadform::Tloadform(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    auto* layout = new QVBoxLayout(this);
    caption_ = new QLabel(QStringLiteral("Loading Theme..."), this);
    loadbar_ = new QProgressBar(this);
    loadbar_->setRange(0, 100);
    loadbar_->setValue(0);
    loadbar_->setTextVisible(false);
    layout->addWidget(caption_);
    layout->addWidget(loadbar_);
    setWindowTitle(caption_->text());
    resize(260, 60);
}

void Tloadform::ShowCentred() {
    loadbar_->setValue(0);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    show();
}

void Tloadform::SetPosition(int position, int maximum) {
    // A library's header may claim no entries at all; keep a usable range.
    loadbar_->setRange(0, maximum > 0 ? maximum : 1);
    loadbar_->setValue(std::clamp(position, 0, loadbar_->maximum()));
    repaint();
}

}  // namespace pk
