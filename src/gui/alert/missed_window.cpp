#include "gui/alert/missed_window.h"

#include "core/events/listing.h"
#include "core/text/datetime.h"
#include "gui/platform/window_activation.h"
#include "gui/text/qt_text.h"
#include "gui/theme/icons.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace zel::gui {

namespace {

enum Column { When, What, Repeats, Missed };

QString eventText(const MissedEvent& e) {
    // One line each: a reminder's line breaks become spaces.
    const QString text = fromStored(e.text).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (e.kind == EventKind::Reminder) return text;
    return QStringLiteral("Program: ") + text +
           (e.launched ? QStringLiteral(" (most elindult)") : QStringLiteral(" (nem indult el)"));
}

} // namespace

MissedWindow::MissedWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint),
      intro_(new QLabel(this)), list_(new QTreeWidget(this)), launchNote_(new QLabel(this)),
      overflowNote_(new QLabel(this)), closeButton_(new QPushButton(QStringLiteral("Bezár"), this)) {
    setObjectName(QStringLiteral("missedWindow"));
    setWindowTitle(QStringLiteral("Elmulasztott emlékeztetők"));
    setWindowIcon(appIcon());
    setModal(false);
    intro_->setText(
        QStringLiteral("Ezek az események akkor jártak le, amikor a Zelmoran nem figyelhetett rájuk "
                       "(a számítógép alvó állapotban vagy kikapcsolva volt, vagy a program nem "
                       "futott). Az ismétlődők már a következő alkalmukra kerültek."));
    intro_->setWordWrap(true);
    intro_->setObjectName(QStringLiteral("missedIntro"));
    launchNote_->setObjectName(QStringLiteral("launchNote"));
    closeButton_->setObjectName(QStringLiteral("closeMissedButton"));
    list_->setObjectName(QStringLiteral("missedList"));
    list_->setHeaderLabels({QStringLiteral("Időpont"), QStringLiteral("Esemény"), QStringLiteral("Ismétel"),
                            QStringLiteral("Elmaradt")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    // Only read: the keys go to "Bezár", and no cell looks chosen.
    list_->setFocusPolicy(Qt::NoFocus);
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->header()->setSectionResizeMode(What, QHeaderView::Stretch);
    launchNote_->setText(QStringLiteral("Az elmaradt programfuttatásokat a Beállítások fülön lehet "
                                        "pótoltatni (Elmaradt programfuttatások pótlása)."));
    launchNote_->setWordWrap(true);
    launchNote_->hide();
    overflowNote_->setObjectName(QStringLiteral("overflowNote"));
    overflowNote_->hide();
    closeButton_->setDefault(true);
    connect(closeButton_, &QPushButton::clicked, this, &MissedWindow::empty);
    connect(this, &QDialog::rejected, this, &MissedWindow::empty);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro_);
    layout->addWidget(list_, 1);
    layout->addWidget(overflowNote_);
    layout->addWidget(launchNote_);
    layout->addLayout(buttons);
    resize(620, 300);
}

void MissedWindow::add(const std::vector<MissedEvent>& events) {
    for (const MissedEvent& e : events) {
        if (e.kind == EventKind::Program && !e.launched) launchNote_->show();
        if (list_->topLevelItemCount() >= kMaxLines) {
            ++overflow_;
            continue;
        }
        auto* item = new QTreeWidgetItem(list_);
        item->setText(When, QString::fromStdString(dateText(e.day)) + QLatin1Char(' ') +
                                QString::fromStdString(timeText(e.minute)).trimmed());
        item->setText(What, eventText(e));
        item->setToolTip(What, eventText(e));
        item->setText(Repeats, fromCp(recurrenceWord(e.recurrence)));
        item->setText(Missed, QString::number(e.times) + QStringLiteral(" alkalommal"));
    }
    overflowNote_->setText(QStringLiteral("További ") + QString::number(overflow_) +
                           QStringLiteral(" elmulasztott esemény nem fér a listába."));
    overflowNote_->setVisible(overflow_ > 0);
    list_->scrollToBottom();
    // Wide enough for the longest line where the screen allows, so little is cut short.
    int wanted =
        2 * list_->frameWidth() + layout()->contentsMargins().left() + layout()->contentsMargins().right();
    const QFontMetrics metrics(list_->font());
    for (int c = 0; c < list_->columnCount(); ++c) {
        int column = list_->header()->sectionSizeHint(c);
        for (int i = 0; i < list_->topLevelItemCount(); ++i)
            column = std::max(column, metrics.horizontalAdvance(list_->topLevelItem(i)->text(c)) + 16);
        wanted += column;
    }
    const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    if (wanted > width()) resize(std::min(wanted, screen.width() * 9 / 10), height());
    show();
    raise();
    activateWindow();
    // At start the main window is shown after this: the list goes above it once it is.
    QTimer::singleShot(0, this, [this] {
        if (!isVisible()) return;
        raise();
        activateWindow();
    });
}

void MissedWindow::bringForward(const QString& activationToken, bool onWayland) {
    gui::bringForward(
        *this, activationToken,
        [this] {
            hide();
            show();
        },
        onWayland);
}

QStringList MissedWindow::lines() const {
    QStringList out;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QStringList cells;
        for (int c = 0; c < list_->columnCount(); ++c)
            cells << list_->topLevelItem(i)->text(c);
        out << cells.join(QStringLiteral(" | "));
    }
    return out;
}

int MissedWindow::count() const {
    return list_->topLevelItemCount() + static_cast<int>(overflow_);
}

void MissedWindow::empty() {
    list_->clear();
    overflow_ = 0;
    overflowNote_->hide();
    launchNote_->hide();
    hide();
}

} // namespace zel::gui
