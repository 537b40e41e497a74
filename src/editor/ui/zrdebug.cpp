#include "editor/ui/zrdebug.h"

#include <QListWidget>
#include <QVBoxLayout>

namespace pk {

Tdebug::Tdebug(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("debug");
    setWindowTitle("debug");
    list_ = new QListWidget(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    resize(320, 240);
}

}  // namespace pk
