#include "gui/sync/sync_report_window.h"

#include "gui/sync/sync_report_text.h"
#include "gui/widgets/widget_util.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace zel::gui {

namespace {

// Rows of a table that a report fills at most before it scrolls.
constexpr int kVisibleRows = 12;

QString utf8(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

SyncReportWindow::SyncReportWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("syncReportWindow"));
    setWindowTitle(QStringLiteral("Szinkronizálás eredménye"));
    setModal(false);
    auto* page = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("syncSummary"));
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary_->setContentsMargins(0, accentSafeRowHeight(font()) - fontMetrics().height(), 0, 0);
    page->addWidget(summary_);
    conflicts_ =
        addSection("conflictTable", QStringLiteral("Ütközések:"),
                   {QStringLiteral("Partner"), QStringLiteral("Mező"), QStringLiteral("Ezen a gépen"),
                    QStringLiteral("A kiszolgálón"), QStringLiteral("Megmaradt")});
    skipped_ = addSection("skippedTable",
                          QStringLiteral("Kihagyott névjegyek (a kiszolgálón változatlanul maradtak):"),
                          {QStringLiteral("Névjegy"), QStringLiteral("Ok")});
    kept_ = addSection("keptTable", QStringLiteral("Nem törölt partnerek:"),
                       {QStringLiteral("Partner"), QStringLiteral("Ok")});
    postponed_ = new QLabel(this);
    postponed_->setObjectName(QStringLiteral("postponedLine"));
    postponed_->setWordWrap(true);
    page->addWidget(postponed_);
    page->addStretch(1);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(QStringLiteral("Bezár"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    page->addWidget(buttons);
}

QTableWidget* SyncReportWindow::addSection(const char* name, const QString& caption,
                                           const QStringList& columns) {
    auto* label = new QLabel(caption, this);
    // Room above the text for the accents of capitals ("Ütközések").
    label->setMinimumHeight(accentSafeRowHeight(label->font()));
    auto* table = new QTableWidget(0, static_cast<int>(columns.size()), this);
    table->setObjectName(QString::fromLatin1(name));
    table->setAccessibleName(caption.chopped(1));
    table->setHorizontalHeaderLabels(columns);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(accentSafeRowHeight(table->font()) + 6);
    label->setBuddy(table);
    captions_.insert(table, label);
    layout()->addWidget(label);
    layout()->addWidget(table);
    return table;
}

void SyncReportWindow::fillTable(QTableWidget* table, const std::vector<QStringList>& rows) {
    table->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < table->rowCount(); ++r) {
        const QStringList& row = rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < row.size(); ++c) {
            auto* item = new QTableWidgetItem(row[c]);
            item->setToolTip(row[c]);
            table->setItem(r, c, item);
        }
    }
    const bool shown = !rows.empty();
    table->setVisible(shown);
    captions_.value(table)->setVisible(shown);
}

void SyncReportWindow::showReport(const SyncReport& report) {
    const bool nothing = report.nothingChanged();
    QString summary = localSummary(report) + u'\n' + serverSummary(report);
    if (const QString calendar = calendarSummary(report); !calendar.isEmpty()) summary += u'\n' + calendar;
    summary_->setText(nothing ? QStringLiteral("Nem történt változás.") : summary);
    std::vector<QStringList> conflicts, skipped, kept;
    for (const SyncReport::Conflict& c : report.conflicts)
        conflicts.push_back({utf8(c.partner), conflictCaption(c), conflictValue(c.local),
                             conflictValue(c.server), keptSide(c)});
    for (const SyncReport::Skipped& s : report.skipped)
        skipped.push_back({skippedCard(s), skipReasonText(s.reason)});
    for (const std::string& name : report.kept)
        kept.push_back({utf8(name), keptReason()});
    fillTable(conflicts_, conflicts);
    fillTable(skipped_, skipped);
    fillTable(kept_, kept);
    QStringList notes;
    if (report.postponed > 0) notes << postponedText(report.postponed);
    if (const QString calendar = calendarNotes(report); !calendar.isEmpty()) notes << calendar;
    postponed_->setText(notes.join(u'\n'));
    postponed_->setVisible(!notes.isEmpty());
    fitToContent();
}

void SyncReportWindow::fitToContent() {
    // Measured in the font and style the window is shown with.
    ensurePolished();
    for (QTableWidget* t : {conflicts_, skipped_, kept_})
        t->ensurePolished();
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->availableGeometry().size() * 9 / 10 : QSize(1600, 1000);
    for (QTableWidget* t : {conflicts_, skipped_, kept_}) {
        if (t->isHidden()) continue;
        t->resizeColumnsToContents();
        // A little room beyond the columns, so the last never scrolls by a pixel.
        int width = 2 * t->frameWidth() + t->fontMetrics().averageCharWidth();
        for (int c = 0; c < t->columnCount(); ++c)
            width += t->columnWidth(c);
        const int rows = std::min(t->rowCount(), kVisibleRows);
        int height = 2 * t->frameWidth() + t->horizontalHeader()->sizeHint().height();
        for (int r = 0; r < rows; ++r)
            height += t->rowHeight(r);
        if (t->rowCount() > rows) width += t->verticalScrollBar()->sizeHint().width();
        t->setMinimumWidth(std::min(width, room.width() - 40));
        t->setFixedHeight(height);
    }
    adjustSize();
    resize(std::min(width(), room.width()), std::min(height(), room.height()));
}

} // namespace zel::gui
