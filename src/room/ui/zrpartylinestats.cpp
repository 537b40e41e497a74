// The room window's statistics panel: results text, the per-slot table with remembered column
// widths, the game's events, and saving everything to a log file.
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/ui/zrtxtbox.h"
#include "platform/cp1252.h"
#include "room/ui/zrpartylineform.h"
#include "room/zrroomhost.h"

namespace pk {

void Tzrpartyline::BuildStats() {
    statsscrollbox_ = new QScrollArea(this);
    statsscrollbox_->setObjectName(QStringLiteral("statsscrollbox"));
    statsscrollbox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    statsscrollbox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    statsscrollbox_->setFrameShape(QFrame::NoFrame);
    statsscrollbox_->setWidgetResizable(false);
    statsscrollbox_->installEventFilter(this);
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
    statsscrollbox_->setWidget(statsinner_);
    statsinner_->setFont(statsscrollbox_->font());
}

int Tzrpartyline::ColumnEdgeAt(const QPoint& at) const {
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

bool Tzrpartyline::gamestatsMouse(QMouseEvent& mouse) {
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

void Tzrpartyline::gamestatsMouseUp() {
    rememberedWidths_ = ColumnWidthsString(StatsWidths());
}

bool Tzrpartyline::StatsShown() const {
    return !statsscrollbox_->isHidden();
}

void Tzrpartyline::showstatsClick() {
    if (StatsShown()) {
        statsPanelHeight_ = statsscrollbox_->height();
        statsscrollbox_->hide();
        statscaption_->setText(QStringLiteral("Show stats"));
    } else {
        statsscrollbox_->show();
        const int total = gamestatssplit_->height();
        const int panel = std::clamp(statsPanelHeight_, 20, std::max(total - 40, 20));
        gamestatssplit_->setSizes({panel, std::max(total - panel, 1)});
        statscaption_->setText(QStringLiteral("Hide stats"));
    }
    statsscrollboxResize();
}

void Tzrpartyline::statsscrollboxResize() {
    const QFontMetrics fm(gameresults_->font());
    const int L = fm.height() + fm.leading();
    const int width = std::max(statsscrollbox_->viewport()->width(), 40);
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

void Tzrpartyline::ShowStats(const TStatsPanel& panel, bool open) {
    stats_ = panel;
    gameresults_->setUpdatesEnabled(false);
    gameresults_->Clear();
    for (const std::string& line : panel.results) gameresults_->AddLine(line);
    gameresults_->ScrollToLine(0);
    gameresults_->setUpdatesEnabled(true);
    if (open && !StatsShown())
        showstatsClick();

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
    {
        const QSignalBlocker quiet(gamestats_->horizontalHeader());
        for (int c = 0; c < columns && c < static_cast<int>(panel.widths.size()); ++c)
            gamestats_->setColumnWidth(c, panel.widths[static_cast<std::size_t>(c)]);
    }

    gamehistory_->setUpdatesEnabled(false);
    gamehistory_->Clear();
    for (const std::string& line : panel.events) gamehistory_->AddLine(line);
    gamehistory_->ScrollToLine(0);
    gamehistory_->setUpdatesEnabled(true);
    statsscrollboxResize();
    rememberedWidths_ = ColumnWidthsString(StatsWidths());
}

std::vector<int> Tzrpartyline::StatsWidths() const {
    std::vector<int> widths;
    for (int c = 0; c < gamestats_->columnCount(); ++c)
        widths.push_back(gamestats_->columnWidth(c));
    return widths;
}

void Tzrpartyline::statssavelogClick() {
    if (savedialog == nullptr) {
        savedialog = new QFileDialog(this, QStringLiteral("Save/Append log to file..."));
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

}  // namespace pk
