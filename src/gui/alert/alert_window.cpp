#include "gui/alert/alert_window.h"
#include "gui/alert/click_panel.h"
#include "gui/platform/window_activation.h"
#include "gui/state/app_state.h"
#include "gui/theme/theme.h"
#include "gui/widgets/widget_util.h"
#include "ui_alert_window.h"

#include <algorithm>

#include "core/errors.h"
#include "gui/state/app_state.h"
#include "gui/text/qt_text.h"
#include "gui/text/texts.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QTextEdit>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <utility>

namespace zel::gui {

namespace {

constexpr int kAlertWidth = 382, kAlertHeight = 156;
constexpr int kNoticeWidth = 405, kNoticeHeight = 153;

QFont arial(int pixels, bool bold = false) {
    QFont f;
    // Arial where it exists, else a font with its metrics, so the fixed layout keeps its room.
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                   QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica"),
                   QStringLiteral("DejaVu Sans")});
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// The name of a notice line "name  Névnapja: 03.05.": up to the first ':', back to the space
// before it, and everything before the character that precedes that space.
std::string celebrantName(const std::string& line) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) return {};
    const auto space = line.rfind(' ', colon);
    if (space == std::string::npos || space == 0) return {};
    return line.substr(0, space - 1);
}

} // namespace

AlertWindow::AlertWindow(const AppState& state, Sound& sound, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint),
      state_(state), sound_(sound), dialogs_(dialogs), ui_(std::make_unique<Ui::AlertWindow>()) {
    // Its own fixed design: the fonts are set before the controls, which take them from the window.
    setFont(arial(11));
    ui_->setupUi(this);
    setModal(false);
    ui_->alertTitle->setFont(arial(16, true));
    ui_->actionList->setItemDelegate(new RowHeightDelegate(16, ui_->actionList));
    for (QListWidget* list : {ui_->celebrantList, ui_->celebrantContacts})
        list->setItemDelegate(new RowHeightDelegate(14, list));
    openerSize(kAlertWidth, kAlertHeight);
    connectControls();

    // Mouse moves over these silence the alarm; the lists report theirs on the viewport.
    silencing_ = {this,
                  ui_->alertPage,
                  ui_->alertTitle,
                  ui_->noticeLayer,
                  ui_->celebrantList->viewport(),
                  ui_->celebrantContacts->viewport(),
                  ui_->closeNoticeButton};
    for (QWidget* w : std::as_const(silencing_))
        w->setMouseTracking(true);
    // Every key passes here first, as with the window's key preview.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);

    ui_->actionList->setCurrentIndex(0);
}

AlertWindow::~AlertWindow() = default;

void AlertWindow::connectControls() {
    // activated, not currentIndexChanged: choosing the shown entry again acts as well.
    connect(ui_->actionList, &QComboBox::activated, this,
            [this](int entry) { runAction(AlertAction(entry)); });
    // A change of line by mouse or keyboard; a click on the line already selected is caught by
    // clicked, which compares with the line at the press.
    connect(ui_->celebrantList, &QListWidget::currentRowChanged, this,
            [this](int) { showCelebrantContacts(); });
    connect(ui_->celebrantList, &QListWidget::clicked, this, [this](const QModelIndex&) {
        if (ui_->celebrantList->currentRow() == rowAtPress_) showCelebrantContacts();
    });
    connect(ui_->celebrantContacts, &QListWidget::currentRowChanged, this,
            [this](int) { showContactHint(); });
    connect(ui_->celebrantContacts, &QListWidget::clicked, this, [this](const QModelIndex&) {
        if (ui_->celebrantContacts->currentRow() == rowAtPress_) showContactHint();
    });
    ui_->backButton->onClick = [this] { backToProgram(); };
    ui_->exitButton->onClick = [this] { exitFromNotice(); };
    ui_->closeNoticeButton->onClick = [this] { closeNotice(); };
}

void AlertWindow::showAlert(const QString& caption, const QString& text, const QString& occurrenceKey) {
    // A notice holds the program modally; an alert does not.
    if (windowModality() != Qt::NonModal) {
        hide();
        setWindowModality(Qt::NonModal);
    }
    play(PlayMode::Alarm);
    show();
    raise();
    activateWindow();
    setWindowTitle(caption);
    ui_->reminderDisplay->clear();
    ui_->reminderDisplay->setPlainText(text);
    // The key rides along as the display's hint; it is never shown.
    occurrenceKey_ = occurrenceKey;
    ending_ = AlertAction::Closed;
    // Every alert starts on the prompt, so a plain Enter never repeats the last alert's choice.
    ui_->actionList->setCurrentIndex(0);
    openerSize(kAlertWidth, kAlertHeight);
    ui_->windowPages->setCurrentWidget(ui_->alertPage);
    ui_->actionList->setFocus();
}

void AlertWindow::addToAlert(const QString& text) {
    showAlert(windowTitle(), ui_->reminderDisplay->toPlainText() + QStringLiteral("\n\n") + text,
              occurrenceKey_);
}

QString AlertWindow::displayedText() const {
    return ui_->reminderDisplay->toPlainText();
}

void AlertWindow::prepareNotice(const QStringList& lines, bool showBack, bool showExit, bool showClose) {
    setWindowTitle(QStringLiteral("Zelmoran - Név-, illetve születésnap emlékeztető"));
    {
        const QSignalBlocker block(ui_->celebrantList);
        ui_->celebrantList->clear();
        ui_->celebrantList->addItems(lines);
    }
    ui_->backButton->setVisible(showBack);
    ui_->exitButton->setVisible(showExit);
    ui_->closeNoticeButton->setVisible(showClose);
    ui_->actionList->setCurrentIndex(0);
    openerSize(kNoticeWidth, kNoticeHeight);
    ui_->windowPages->setCurrentWidget(ui_->noticeLayer);
}

void AlertWindow::openerSize(int width, int height) {
    // The layouts give the extra room to the text and the lists; a window too small for the
    // controls grows instead of cutting them.
    setFixedSize(QSize(width, height).expandedTo(minimumSizeHint()));
    centreOnScreen();
}

void AlertWindow::centreOnScreen() {
    const QScreen* s = screen();
    if (!s) return;
    QRect r = frameGeometry();
    r.moveCenter(s->availableGeometry().center());
    move(r.topLeft());
}

void AlertWindow::play(PlayMode mode) {
    if (mode == PlayMode::Stop) {
        sound_.stop();
        return;
    }
    switch (state_.settings().sound) {
    case SoundChoice::None:
        return;
    case SoundChoice::File: {
        // The own file loops in the preview too; a missing one stays silent, with no fallback.
        const QString file = fromCp(state_.settings().soundFile);
        if (!file.isEmpty() && QFile::exists(file)) sound_.playFile(file, true);
        return;
    }
    default:
        emit defaultSoundSelected();
        sound_.playDefault(mode == PlayMode::Alarm);
    }
}

void AlertWindow::previewFile(const QString& file) {
    if (file.isEmpty()) return;
    if (QFile::exists(file)) {
        sound_.playFile(file, false);
        return;
    }
    const QString text = QStringLiteral("A lejátszandó állomány nem található!") + kNl + file + kNl + kNl +
                         QStringLiteral("Szeretne megadni egy másik hangállományt?");
    if (dialogs_.message(Dialogs::Kind::Warning, QStringLiteral("Figyelem!"), text,
                         Dialogs::Yes | Dialogs::No) == Dialogs::Yes)
        emit soundFileRequested();
}

bool AlertWindow::alertShown() const {
    return isVisible() && ui_->windowPages->currentWidget() == ui_->alertPage;
}

void AlertWindow::runChosenAction() {
    // Enter on the untouched prompt acknowledges, as "Rendben" does.
    runAction(std::max(AlertAction::Acknowledge, AlertAction(ui_->actionList->currentIndex())));
}

void AlertWindow::runAction(AlertAction action) {
    ending_ = action;
    hide();
    switch (action) {
    case AlertAction::EditEvent:
        emit editEventRequested(occurrenceKey_);
        break;
    case AlertAction::NewEvent:
        emit newEventRequested();
        break;
    case AlertAction::SuspendWatching:
        emit suspendWatchingRequested();
        break;
    default:
        break;
    }
    if (action != AlertAction::Prompt) emit answered();
}

void AlertWindow::showCelebrantContacts() {
    ui_->celebrantContacts->setToolTip(QString());
    const QListWidgetItem* item = ui_->celebrantList->currentItem();
    const QString line = item ? item->text() : QString();
    if (item) {
        try {
            const PartnerLookup found = state_.findPartner(celebrantName(toCp(line)));
            const QSignalBlocker block(ui_->celebrantContacts);
            ui_->celebrantContacts->clear();
            if (const auto& p = found.record)
                for (const std::string* field :
                     {&p->email, &p->webAddress, &p->address, &p->mobile, &p->phone})
                    ui_->celebrantContacts->addItem(fromCp(*field));
        } catch (const IoError&) {
            // The contact list keeps its lines when the partner file does not open.
        }
    }
    // The whole line, for one too long for the list.
    ui_->celebrantList->setToolTip(line);
}

void AlertWindow::showContactHint() {
    const int row = ui_->celebrantContacts->currentRow();
    const QListWidgetItem* item = ui_->celebrantContacts->currentItem();
    if (!item || item->text().isEmpty() || row < 0 || row > static_cast<int>(ContactLine::Phone)) {
        ui_->celebrantContacts->setToolTip(QString());
        return;
    }
    ui_->celebrantContacts->setToolTip(contactLineLabel(static_cast<ContactLine>(row)) +
                                       QStringLiteral(": ") + item->text());
}

void AlertWindow::runContactLine() {
    const QListWidgetItem* item = ui_->celebrantContacts->currentItem();
    const int row = ui_->celebrantContacts->currentRow();
    if (!item || !item->isSelected() || row < 0 || row > static_cast<int>(ContactLine::Phone)) return;
    emit contactActionRequested(static_cast<ContactLine>(row), item->text());
}

void AlertWindow::backToProgram() {
    close();
    emit backToProgramRequested();
}

void AlertWindow::closeNotice() {
    close();
}

void AlertWindow::exitFromNotice() {
    close();
    emit exitRequested();
}

bool AlertWindow::noticeKey(int key) {
    if (ui_->noticeLayer->isHidden()) return false;
    if (key != Qt::Key_Escape && key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    // Enter on a panel reached with Tab runs that panel.
    if (auto* panel = dynamic_cast<ClickPanel*>(focusWidget()); panel && key != Qt::Key_Escape) {
        panel->click();
        return true;
    }
    // A notice at start-up offers no exit: its keys enter the program instead of ending it.
    if (ui_->exitButton->isHidden())
        closeNotice();
    else
        exitFromNotice();
    return true;
}

bool AlertWindow::browseActions(QKeyEvent* key) {
    // The closed list runs every entry its keys pass over; here they only move, and Enter runs.
    if (key->modifiers() & Qt::AltModifier) return false;
    const int last = ui_->actionList->count() - 1, at = ui_->actionList->currentIndex();
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        ui_->actionList->setCurrentIndex(std::max(0, at - 1));
        return true;
    case Qt::Key_Down:
    case Qt::Key_Right:
        ui_->actionList->setCurrentIndex(std::min(last, at + 1));
        return true;
    case Qt::Key_Home:
    case Qt::Key_PageUp:
        ui_->actionList->setCurrentIndex(0);
        return true;
    case Qt::Key_End:
    case Qt::Key_PageDown:
        ui_->actionList->setCurrentIndex(last);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        runChosenAction();
        return true;
    case Qt::Key_Escape:
        // Esc only acknowledges, whatever entry the keys have passed over.
        runAction(AlertAction::Acknowledge);
        return true;
    default:
        break;
    }
    const QString typed = key->text().trimmed();
    if (typed.isEmpty() || !typed.at(0).isPrint()) return false;
    for (int step = 1; step <= ui_->actionList->count(); ++step) {
        const int i = (at + step) % ui_->actionList->count();
        if (ui_->actionList->itemText(i).startsWith(typed, Qt::CaseInsensitive)) {
            ui_->actionList->setCurrentIndex(i);
            break;
        }
    }
    return true;
}

void AlertWindow::silence() {
    play(PlayMode::Stop);
}

void AlertWindow::onShown() {
    applyTheme(this, state_.settings().colors);
    if (ui_->noticeLayer->isHidden()) return;
    ui_->celebrantList->setFocus();
    {
        const QSignalBlocker block(ui_->celebrantList);
        ui_->celebrantList->setCurrentRow(0);
    }
    showCelebrantContacts();
    ui_->closeNoticeButton->setText(state_.settings().startInTray ? QStringLiteral("Ablak elrejtése")
                                                                  : QStringLiteral("Belépés a programba"));
}

bool AlertWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (noticeKey(key->key())) return true;
        if (watched == ui_->actionList) return browseActions(key);
        if (key->key() == Qt::Key_Escape && alertShown()) {
            runAction(AlertAction::Acknowledge);
            return true;
        }
        return false;
    }
    case QEvent::Wheel:
        // A turn of the wheel over the closed list would run the entry it lands on.
        return watched == ui_->actionList;
    case QEvent::MouseMove: {
        // Only a move over the widget itself: one handed up from a child was handled there, or
        // happened over a child that does not silence.
        auto* w = static_cast<QWidget*>(watched);
        if (silencing_.contains(w) && !w->childAt(static_cast<QMouseEvent*>(event)->position().toPoint()))
            silence();
        break;
    }
    case QEvent::MouseButtonPress:
        if (watched == ui_->celebrantList->viewport()) rowAtPress_ = ui_->celebrantList->currentRow();
        if (watched == ui_->celebrantContacts->viewport()) rowAtPress_ = ui_->celebrantContacts->currentRow();
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == ui_->celebrantContacts->viewport()) runContactLine();
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void AlertWindow::bringForward(const QString& activationToken, bool onWayland) {
    gui::bringForward(
        *this, activationToken,
        [this] {
            remapping_ = true;
            hide();
            show();
            remapping_ = false;
        },
        onWayland);
}

void AlertWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous() || remapping_) return;
    centreOnScreen();
    onShown();
}

void AlertWindow::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (remapping_) return;
    play(PlayMode::Stop);
    if (event->spontaneous() || ui_->windowPages->currentWidget() != ui_->alertPage) return;
    // Queued, so whoever waits for the alert acts after the chosen entry's work is done.
    QMetaObject::invokeMethod(
        this, [this, action = std::exchange(ending_, AlertAction::Closed)] { emit alertEnded(action); },
        Qt::QueuedConnection);
}

void AlertWindow::closeEvent(QCloseEvent* event) {
    play(PlayMode::Stop);
    QDialog::closeEvent(event);
}

void AlertWindow::keyPressEvent(QKeyEvent* event) {
    // Not QDialog's: its Esc would reject without acknowledging, and the event filter answers the keys.
    QWidget::keyPressEvent(event);
}

} // namespace zel::gui
