#include "room/ui/zrroomstatspanel.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QToolButton>

#include "core/ui/zrqtfont.h"
#include "core/ui/zrtxtbox.h"
#include "platform/cp1252.h"
#include "room/ui/zrboxfontmenu.h"
#include "room/ui/zrroomguard.h"
#include "room/zrgamestats.h"
#include "room/zrroomhost.h"

namespace pk {

TRoomStatsPanel::TRoomStatsPanel(QWidget* parent, QWidget& form, QToolButton& button,
                                 QLabel& caption)
    : QScrollArea(parent), form_(form), statscaption_(caption) {
    setObjectName(QStringLiteral("statsscrollbox"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    installEventFilter(this);
    statsinner_ = new QWidget();
    gameresults_ = new TZRTxtbox(statsinner_);
    gameresults_->setObjectName(QStringLiteral("gameresults"));
    gameresults_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gamestats_ = new QTableWidget(StatsTableRows, 0, statsinner_);
    gamestats_->setObjectName(QStringLiteral("gamestats"));
    gamestats_->verticalHeader()->hide();
    gamestats_->horizontalHeader()->hide();  // row 0 is the fixed header row
    gamestats_->setSelectionBehavior(QAbstractItemView::SelectRows);
    gamestats_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gamestats_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    gamestats_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gamestats_->horizontalHeader()->setDefaultSectionSize(StatsDefaultColumnWidth);
    // Columns are sized by dragging their edges in the fixed header row.
    gamestats_->viewport()->setMouseTracking(true);
    gamestats_->viewport()->installEventFilter(this);
    gamehistory_ = new TZRTxtbox(statsinner_);
    gamehistory_->setObjectName(QStringLiteral("gamehistory"));
    gamehistory_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidget(statsinner_);
    statsinner_->setFont(font());

    statschangefontpopup_ =
        new TBoxFontMenu(this, "statschangefontpopup", "statschangefont", "statsdefaultfont",
                         {this, gamestats_}, form_, [this] { statsscrollboxResize(); });
    statschangefontpopup_->addSeparator()->setObjectName(QStringLiteral("N1"));
    AddGuardedAction(*statschangefontpopup_, "statssavelog", "Save log to...",
                     [this] { statssavelogClick(); });
    gameresults_->SetPopupMenu(statschangefontpopup_);
    gamehistory_->SetPopupMenu(statschangefontpopup_);
    gamestats_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(gamestats_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        statschangefontpopup_->popup(gamestats_->viewport()->mapToGlobal(at));
    });
    connect(&button, &QToolButton::clicked, this, [this] { PK_ROOM_HANDLER(showstatsClick); });
}

TRoomStatsPanel::~TRoomStatsPanel() {
    removeEventFilter(this);
    gamestats_->viewport()->removeEventFilter(this);
}

bool TRoomStatsPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == gamestats_->viewport()) {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseMove:
            case QEvent::MouseButtonRelease:
                return PK_ROOM_HANDLER(gamestatsMouse, *static_cast<QMouseEvent*>(event));
            default:
                break;
        }
    }
    if (watched == this && event->type() == QEvent::Resize)
        PK_ROOM_HANDLER(statsscrollboxResize);
    return QScrollArea::eventFilter(watched, event);
}

int TRoomStatsPanel::ColumnEdgeAt(const QPoint& at) const {
    constexpr int grip = 3;
    if (gamestats_->rowAt(at.y()) != 0)
        return -1;
    for (int c = 0; c < gamestats_->columnCount(); ++c) {
        const int edge = gamestats_->columnViewportPosition(c) + gamestats_->columnWidth(c);
        if (std::abs(at.x() - edge) <= grip)
            return c;
    }
    return -1;
}

bool TRoomStatsPanel::gamestatsMouse(QMouseEvent& mouse) {
    const QPoint at = mouse.position().toPoint();
    QWidget* grid = gamestats_->viewport();
    switch (mouse.type()) {
        case QEvent::MouseButtonPress:
            if (mouse.button() != Qt::LeftButton || (sizingColumn_ = ColumnEdgeAt(at)) < 0)
                return false;
            sizingFrom_ = at.x() - gamestats_->columnWidth(sizingColumn_);
            return true;
        case QEvent::MouseMove:
            if (sizingColumn_ >= 0) {
                gamestats_->setColumnWidth(sizingColumn_, std::max(at.x() - sizingFrom_, 1));
                return true;
            }
            if (ColumnEdgeAt(at) >= 0)
                grid->setCursor(Qt::SplitHCursor);
            else
                grid->unsetCursor();
            return false;
        case QEvent::MouseButtonRelease:
            if (mouse.button() != Qt::LeftButton)
                return false;
            sizingColumn_ = -1;
            gamestatsMouseUp();
            return false;
        default:
            return false;
    }
}

void TRoomStatsPanel::gamestatsMouseUp() {
    rememberedWidths_ = ColumnWidthsString(StatsWidths());
}

bool TRoomStatsPanel::StatsShown() const {
    return !isHidden();
}

void TRoomStatsPanel::showstatsClick() {
    if (StatsShown()) {
        statsPanelHeight_ = height();
        hide();
        statscaption_.setText(QStringLiteral("Show stats"));
    } else {
        show();
        // The chat panel's splitter holds the panel above the chat box.
        if (auto* split = qobject_cast<QSplitter*>(parentWidget())) {
            const int total = split->height();
            const int panel = std::clamp(statsPanelHeight_, 20, std::max(total - 40, 20));
            split->setSizes({panel, std::max(total - panel, 1)});
        }
        statscaption_.setText(QStringLiteral("Hide stats"));
    }
    statsscrollboxResize();
}

void TRoomStatsPanel::statsscrollboxResize() {
    const QFontMetrics fm(gameresults_->font());
    const int L = fm.height() + fm.leading();
    const int width = std::max(viewport()->width(), 40);
    const int resultsHeight = std::max(gameresults_->LineCount(), 0) * L;
    const int rowHeight = std::abs(QFontMetrics(gamestats_->font()).height()) + 7;
    gamestats_->verticalHeader()->setDefaultSectionSize(rowHeight);
    const int tableHeight = (rowHeight + 1) * StatsTableRows + 20;
    const int historyHeight = std::max(gamehistory_->LineCount(), 0) * L;
    gameresults_->setGeometry(0, 0, width, resultsHeight);
    gamestats_->setGeometry(0, resultsHeight, width, tableHeight);
    gamehistory_->setGeometry(0, resultsHeight + tableHeight, width, std::max(historyHeight, L));
    statsinner_->resize(width, resultsHeight + tableHeight + std::max(historyHeight, L));
}

void TRoomStatsPanel::ShowStats(const TStatsPanel& panel, bool open) {
    stats_ = panel;
    gameresults_->setUpdatesEnabled(false);
    gameresults_->Clear();
    for (const std::string& line : panel.results) gameresults_->AddLine(line);
    gameresults_->ScrollToLine(0);
    gameresults_->setUpdatesEnabled(true);
    if (open && !StatsShown())
        showstatsClick();
    FillTable(panel);
    gamehistory_->setUpdatesEnabled(false);
    gamehistory_->Clear();
    for (const std::string& line : panel.events) gamehistory_->AddLine(line);
    gamehistory_->ScrollToLine(0);
    gamehistory_->setUpdatesEnabled(true);
    statsscrollboxResize();
    rememberedWidths_ = ColumnWidthsString(StatsWidths());
}

void TRoomStatsPanel::FillTable(const TStatsPanel& panel) {
    const int columns = static_cast<int>(panel.headers.size());
    gamestats_->clear();
    gamestats_->setRowCount(StatsTableRows);
    gamestats_->setColumnCount(columns);
    const auto cell = [this](int row, int column, const std::string& text, bool header) {
        auto* item = new QTableWidgetItem(Cp1252ToQString(text));
        if (header) {
            item->setBackground(gamestats_->palette().button());
            item->setFlags(Qt::ItemIsEnabled);
        }
        gamestats_->setItem(row, column, item);
    };
    for (int c = 0; c < columns; ++c) cell(0, c, panel.headers[static_cast<std::size_t>(c)], true);
    for (int r = 0; r < 6; ++r) {
        const auto& cells = panel.rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < columns && c < static_cast<int>(cells.size()); ++c)
            cell(r + 1, c, cells[static_cast<std::size_t>(c)], false);
    }
    const QSignalBlocker quiet(gamestats_->horizontalHeader());
    for (int c = 0; c < columns && c < static_cast<int>(panel.widths.size()); ++c)
        gamestats_->setColumnWidth(c, panel.widths[static_cast<std::size_t>(c)]);
}

std::vector<int> TRoomStatsPanel::StatsWidths() const {
    std::vector<int> widths;
    for (int c = 0; c < gamestats_->columnCount(); ++c)
        widths.push_back(gamestats_->columnWidth(c));
    return widths;
}

void TRoomStatsPanel::statssavelogClick() {
    if (savedialog == nullptr) {
        savedialog = new QFileDialog(&form_, QStringLiteral("Save/Append log to file..."));
        savedialog->setObjectName(QStringLiteral("savedialog"));
        savedialog->setAcceptMode(QFileDialog::AcceptSave);
        savedialog->setDefaultSuffix(QStringLiteral("log"));
        savedialog->setNameFilters(
            {QStringLiteral("Log files (*.log)"), QStringLiteral("All files (*.*)")});
        // An existing log is appended to, so choosing one needs no confirmation.
        savedialog->setOption(QFileDialog::DontConfirmOverwrite);
    }
    std::string file;
    if (savePrompt_) {
        file = savePrompt_(*savedialog);
    } else if (savedialog->exec() == QDialog::Accepted && !savedialog->selectedFiles().isEmpty()) {
        file = QStringToCp1252(savedialog->selectedFiles().front());
    }
    if (file.empty())
        return;
    // The table as it stands now: the widths are the player's, the cells the panel's.
    if (!AppendStatsLog(std::filesystem::path(Cp1252ToQString(file).toStdString()),
                        StatsLogText(stats_)))
        Room().ShowMessage(StatsSaveFailedText(file));
}

void TRoomStatsPanel::SetConfig(const RoomWindowConfig& c) {
    rememberedWidths_ = c.gstatsw;
    statsPanelHeight_ = std::max(c.gstatsheight, 0);
    if (c.statsFontSet)
        statschangefontpopup_->SetChosenFont(FontFromSpec(c.fgamestats));
    if (c.gstatsexpand != 0 && !StatsShown())
        showstatsClick();
    statsscrollboxResize();
}

void TRoomStatsPanel::GetConfig(RoomWindowConfig& c) const {
    c.gstatsw = rememberedWidths_;
    c.gstatsheight = StatsShown() ? height() : statsPanelHeight_;
    c.gstatsexpand = StatsShown() ? 1 : 0;
    c.statsFontSet = statschangefontpopup_->FontSet();
    if (c.statsFontSet)
        c.fgamestats = SpecFromFont(statschangefontpopup_->ChosenFont(), c.fgamestats.color);
}

}  // namespace pk
