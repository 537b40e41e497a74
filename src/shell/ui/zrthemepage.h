#pragma once
// The theme and music page `Tzrstheme` ("settheme"): the theme collection as a tree of every
// library under the program's folder with its themes, the theme's preview and information,
// and the music choice (an external file or one of the theme's tunes, a play button outside a
// game, "Loop all"). The collection, the selection and the change watch are the shell's
// (shell/zrthemesel.h); the page shows them and turns the player's clicks into their calls.
#include <QIcon>
#include <QLabel>
#include <QTimer>
#include <functional>
#include <string>

#include "shell/zrthemepreview.h"
#include "skin/ui/zrskinform.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QSplitter;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace pk {

// A preview picture, stretched to its panel, that reports where the pointer moves.
class PreviewImage : public QLabel {
public:
    explicit PreviewImage(QWidget* parent);
    std::function<void(int x, int y)> OnMove;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
};

class Tzrstheme : public TZRSkinForm {
public:
    explicit Tzrstheme(QWidget* parent = nullptr);
    ~Tzrstheme() override;

    // The tree, the music choice and the preview from the shell's selection (FormShow).
    void RefreshFromSelection();
    // Draws the preview afresh (new sample fields) for the loaded theme.
    void UpdateThemePreview();
    // The sample fields' random draws start from `seed` (tests).
    void SetPreviewSeed(uint32_t seed) { random_ = TRandomGen(seed); }
    const TThemePreview& Preview() const { return preview_; }

    // Handlers.
    void themetreeChange(QTreeWidgetItem* item);
    void musiclbClick(int row);
    void pickmidiClick();
    void playmidiClick();
    void loopmusiccbClick(bool on);
    void checkthemechangeTimer();
    void largeimageMouseMove(int x, int y);
    void smallimageMouseMove(int x, int y);

    // The music file dialog; tests replace it. Returns the chosen file, empty when cancelled.
    using FilePicker = std::function<std::string()>;
    void SetFilePicker(FilePicker picker) { filePicker_ = std::move(picker); }

    void ContainerShown() override;

    QTreeWidget* themetree = nullptr;
    QWidget* collectionpanel = nullptr;
    QWidget* previewpanel = nullptr;
    QLabel* Label4 = nullptr;
    PreviewImage* largeimage = nullptr;
    PreviewImage* smallimage = nullptr;
    QLabel* sbimage = nullptr;
    QLabel* themeinfo = nullptr;
    QListWidget* musiclb = nullptr;
    QLineEdit* musiceb = nullptr;
    QToolButton* pickmidi = nullptr;
    QToolButton* playmidi = nullptr;
    QCheckBox* loopmusiccb = nullptr;
    QTimer* checkthemechange = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void FillThemeTree();
    void SelectCurrentNode();
    void FillMusicList();
    void ShowPlayState();
    void ApplySizesFromConfig();
    void previewpanelResize();
    void LayoutPreviewPanels();
    void exmusicpanelResize();
    void ShowHoveredSpecial(const TFieldString& field, int rows, const QLabel* image, int x, int y);
    std::string PreviewKey() const;

    QSplitter* columns_ = nullptr;
    QSplitter* rightSide_ = nullptr;
    QWidget* largepanel_ = nullptr;
    QWidget* smallpanel_ = nullptr;
    QWidget* sbpanel_ = nullptr;
    QWidget* infopanel_ = nullptr;
    QWidget* exmusicpanel_ = nullptr;
    std::vector<QWidget*> texts_;
    std::vector<QIcon> themetreeimages_;  // 0 a library, 1 a theme
    bool filling_ = false;
    TRandomGen random_;
    TThemePreview preview_;
    std::string previewFor_;  // the theme the preview was drawn for
    QSize previewSize_;       // the strip's size it was laid out for
    FilePicker filePicker_;
};

// The theme page, while it exists.
extern Tzrstheme* zrstheme;

// The music dialog's title and filter.
inline constexpr const char* MusicDialogTitle = "Select Music File...";
inline constexpr const char* MusicDialogFilter =
    "All Audio Files (*.mid *.mp1 *.mp2 *.mp3 *.wav *.ogg *.mod *.mo3 *.it *.xm *.s3m *.mtm "
    "*.umx);;MIDI Files (*.mid);;MPEG Audio Files (*.mp1 *.mp2 *.mp3);;OGG Files (*.ogg);;MOD "
    "Files (*.mod *.mo3 *.it *.xm *.s3m *.mtm *.umx);;Wave Files (*.wav)";

}  // namespace pk
