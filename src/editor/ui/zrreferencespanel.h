// The references panel above the resource tree: "Show references from:" a
// main bitmap of the edited theme, and "Update", which makes the reference
// libraries point at it.
#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;

namespace pk {

class TForm1;

class ReferencesPanel : public QWidget {
    Q_OBJECT
public:
    ReferencesPanel(TForm1& form, QWidget* parent);

    QComboBox* combo() const { return combo_; }
    // The edited theme's main bitmaps; the one chosen stays chosen.
    void FillCombo();
    void updaterefsClick();
    // Lays the panel out for its width.
    void reftoppanelResize();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    TForm1& form_;
    QLabel* label_ = nullptr;
    QComboBox* combo_ = nullptr;
    QPushButton* update_ = nullptr;
};

}  // namespace pk
