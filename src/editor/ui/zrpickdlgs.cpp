#include "editor/ui/zrpickdlgs.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "core/zrmisc.h"
#include "platform/cp1252.h"

namespace pk {

// ---- TForm2 ------------------------------------------------------------------

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Select Resource Group");
    setObjectName("TForm2");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Resource Groups:", this));
    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    layout->addWidget(tree_, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(260, 320);
}

void TForm2::Fill(const ResourceTree& tree) {
    tree_->clear();
    TreeNode* root = tree.FirstRoot();
    if (!root)
        return;
    int index = 0;
    QTreeWidgetItem* remembered = nullptr;
    std::function<void(const TreeNode*, QTreeWidgetItem*)> add = [&](const TreeNode* node,
                                                                     QTreeWidgetItem* parent) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
        item->setText(0, Cp1252ToQString(node->label));
        item->setData(0, Qt::UserRole, index);
        if (index++ == lastPosition_)
            remembered = item;
        item->setExpanded(true);
        for (const auto& child : node->children) add(child.get(), item);
    };
    add(root, nullptr);
    tree_->expandAll();
    tree_->setCurrentItem(remembered);
}

TreeNode* TForm2::Chosen(const ResourceTree& tree) {
    QTreeWidgetItem* item = tree_->currentItem();
    if (!item)
        return nullptr;
    lastPosition_ = item->data(0, Qt::UserRole).toInt();
    return tree.NodeAt(lastPosition_);
}

TreeNode* TForm2::SelectResourceGroup(const ResourceTree& tree) {
    Fill(tree);
    const bool ok = exec() == QDialog::Accepted;
    TreeNode* node = Chosen(tree);
    return ok ? node : nullptr;
}

// ---- TForm3 --------------------------------------------------------------------

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Pick Transparent Color...");
    setObjectName("TForm3");
    auto* layout = new QVBoxLayout(this);
    auto* scroll = new QScrollArea(this);
    picture_ = new QLabel(scroll);
    picture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture_->setObjectName("picture");
    picture_->setCursor(Qt::CrossCursor);
    picture_->installEventFilter(this);
    scroll->setWidget(picture_);
    scroll->setWidgetResizable(true);
    layout->addWidget(scroll, 1);
    auto* row = new QHBoxLayout;
    const char* labels[] = {"R:", "G:", "B:"};
    for (int c = 0; c < 3; ++c) {
        row->addWidget(new QLabel(labels[c], this));
        edits_[c] = new QLineEdit("-1", this);
        edits_[c]->setFixedWidth(40);
        row->addWidget(edits_[c]);
    }
    row->addStretch();
    auto* ok = new QPushButton("OK", this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    row->addWidget(ok);
    layout->addLayout(row);
    resize(360, 280);
}

void TForm3::SetPicture(const DibBitmap& image) {
    image_ = image;
    QImage q(std::max(image.width, 1), std::max(image.height, 1), QImage::Format_RGB32);
    q.fill(Qt::white);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) q.setPixel(x, y, image.at(x, y) | 0xFF000000u);
    picture_->setPixmap(QPixmap::fromImage(q));
    for (QLineEdit* e : edits_) e->setText("-1");
}

void TForm3::PickAt(int x, int y) {
    if (x < 0 || y < 0 || x >= image_.width || y >= image_.height)
        return;
    const uint32_t p = image_.at(x, y);
    edits_[0]->setText(QString::number((p >> 16) & 0xFF));
    edits_[1]->setText(QString::number((p >> 8) & 0xFF));
    edits_[2]->setText(QString::number(p & 0xFF));
}

int64_t TForm3::Result() const {
    int64_t colour = 0;
    for (int c = 0; c < 3; ++c) {
        std::optional<int32_t> v = ParseInt(QStringToCp1252(edits_[c]->text()));
        if (!v || *v == -1)
            return -1;
        colour |= static_cast<int64_t>(std::clamp(*v, 0, 255)) << (8 * c);
    }
    return colour;
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    if (watched == picture_ && isVisible() &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove)) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons() & Qt::LeftButton) {
            const QPoint at = mouse->position().toPoint();
            PickAt(at.x(), at.y());
        }
    }
    return QDialog::eventFilter(watched, event);
}

int64_t TForm3::PickTransparentColor(const DibBitmap& image) {
    SetPicture(image);
    // Closed without "OK": no colour.
    return exec() == QDialog::Accepted ? Result() : -1;
}

}  // namespace pk
