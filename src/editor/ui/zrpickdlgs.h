// The two small modal dialogs of the resource commands: `TForm2` picks a
// group of the edited theme to move resources into, `TForm3` picks the
// transparent colour of an image.
#pragma once

#include <QDialog>
#include <cstdint>

#include "editor/zrrestree.h"
#include "gfx/dib.h"

class QLabel;
class QLineEdit;
class QTreeWidget;

namespace pk {

// "Select Resource Group": the edited theme's subtree; OK gives the main
// tree's node at the chosen position, which is remembered for next time.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    // Modal; nullptr when cancelled.
    TreeNode* SelectResourceGroup(const ResourceTree& tree);

    // Parts of it, also for tests: the copy of the subtree with the
    // remembered position selected, and the node the choice stands for.
    void Fill(const ResourceTree& tree);
    TreeNode* Chosen(const ResourceTree& tree);
    QTreeWidget* groupTree() const { return tree_; }

private:
    QTreeWidget* tree_ = nullptr;
    int lastPosition_ = -1;
};

// "Pick Transparent Color...": the image at its own size; a click, or a
// drag with the left button, puts the pixel's red, green and blue into the
// edits.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    // Modal; a colour 0x00BBGGRR, or -1 for none.
    int64_t PickTransparentColor(const DibBitmap& image);

    void SetPicture(const DibBitmap& image);
    // A pick at a pixel of the picture, as the mouse makes it.
    void PickAt(int x, int y);
    // -1 when an edit is not a number or is -1; else the colour of the three
    // values, each within 0..255.
    int64_t Result() const;
    QLineEdit* edit(int channel) const { return edits_[channel]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DibBitmap image_;
    QLabel* picture_ = nullptr;
    QLineEdit* edits_[3] = {};
};

}  // namespace pk
