// The debug window `Tdebug`: a list box under the caption "debug". The editor
// makes it at start with its other windows and never opens it.
#pragma once

#include <QWidget>

class QListWidget;

namespace pk {

class Tdebug : public QWidget {
    Q_OBJECT
public:
    explicit Tdebug(QWidget* parent = nullptr);
    QListWidget* list() const { return list_; }

private:
    QListWidget* list_ = nullptr;
};

}  // namespace pk
