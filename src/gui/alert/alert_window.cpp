#include "gui/alert/alert_window.h"
#include "gui/theme/theme.h"
#include "gui/widgets/widget_util.h"

#include <algorithm>

#include "core/errors.h"
#include "core/partners/partner_file.h"
#include "core/storage/record_file.h"
#include "gui/qt_text.h"
#include "gui/texts.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTextEdit>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <utility>

namespace zel::gui {

// A panel used as a button: raised, hand cursor, acts on a left click released inside it.
class ClickPanel : public QLabel {
  public:
    ClickPanel(const QString& name, const QString& caption, QWidget* parent) : QLabel(caption, parent) {
        setObjectName(name);
        setAlignment(Qt::AlignCenter);
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        setLineWidth(1);
        setAutoFillBackground(true);
        setCursor(Qt::PointingHandCursor);
        QFont f = font();
        f.setBold(true);
        setFont(f);
    }
    std::function<void()> onClick;

  protected:
    void mousePressEvent(QMouseEvent* e) override {
        pressed_ = e->button() == Qt::LeftButton;
        e->accept();
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        const bool click =
            pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
        pressed_ = false;
        e->accept();
        // A copy: the handler may end the window and with it this panel.
        if (click && onClick) {
            const std::function<void()> handler = onClick;
            handler();
        }
    }

  private:
    bool pressed_ = false;
};

namespace {

constexpr int kDesignWidth = 397, kDesignHeight = 125;
constexpr int kAlertWidth = 382, kAlertHeight = 156;
constexpr int kNoticeWidth = 405, kNoticeHeight = 153;

const char* const kActions[] = {"Válasszon műveletet:", "Rendben", "Esemény szerkesztése",
                                "Új esemény felvitele", "Zelmoran használatának felfüggesztése"};

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

void setColors(QWidget* w, std::initializer_list<QPalette::ColorRole> roles, const QColor& c) {
    QPalette p = w->palette();
    for (QPalette::ColorRole r : roles)
        p.setColor(r, c);
    w->setPalette(p);
}

QListWidget* makeList(const char* name, QWidget* parent) {
    auto* l = new QListWidget(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setUniformItemSizes(true);
    l->setItemDelegate(new RowHeightDelegate(14, l));
    l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    return l;
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

AlertWindow::AlertWindow(AlertHost& host, Sound& sound, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint),
      host_(host), sound_(sound), dialogs_(dialogs) {
    setObjectName(QStringLiteral("alertWindow"));
    setModal(false);
    setFont(arial(11));
    setFixedSize(kDesignWidth, kDesignHeight);
    setAutoFillBackground(true);
    setColors(this, {QPalette::Window}, Qt::black);
    buildWindow();
    buildNoticeLayer();

    // Mouse moves over these silence the alarm; the lists report theirs on the viewport.
    silencing_ = {this,
                  alertTitle_,
                  noticeLayer_,
                  celebrantList_->viewport(),
                  celebrantContacts_->viewport(),
                  closeNoticeButton_};
    for (QWidget* w : std::as_const(silencing_))
        w->setMouseTracking(true);
    // Every key passes here first, as with the window's key preview.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);

    actionList_->setCurrentIndex(0);
}

void AlertWindow::buildWindow() {
    alertTitle_ = new QLabel(QStringLiteral("Zelmoran emlékeztető"), this);
    alertTitle_->setObjectName(QStringLiteral("alertTitle"));
    alertTitle_->setFont(arial(16, true));
    alertTitle_->move(100, 0);
    alertTitle_->adjustSize();

    displayFrame_ = new QFrame(this);
    displayFrame_->setObjectName(QStringLiteral("displayFrame"));
    displayFrame_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    displayFrame_->setLineWidth(1);
    displayFrame_->setGeometry(7, 18, 361, 81);

    reminderDisplay_ = new QTextEdit(displayFrame_);
    reminderDisplay_->setObjectName(QStringLiteral("reminderDisplay"));
    reminderDisplay_->setReadOnly(true);
    reminderDisplay_->setAcceptRichText(false);
    reminderDisplay_->setFrameStyle(QFrame::NoFrame);
    reminderDisplay_->setGeometry(2, 2, 357, 77);

    actionList_ = new QComboBox(this);
    actionList_->setObjectName(QStringLiteral("actionList"));
    for (const char* a : kActions)
        actionList_->addItem(QString::fromUtf8(a));
    actionList_->setItemDelegate(new RowHeightDelegate(16, actionList_));
    actionList_->setGeometry(7, 101, 361, 22);
    actionList_->setFixedHeight(22);
    // activated, not currentIndexChanged: choosing the shown entry again acts as well.
    connect(actionList_, &QComboBox::activated, this, [this](int) { runChosenAction(); });
}

void AlertWindow::buildNoticeLayer() {
    noticeLayer_ = new QFrame(this);
    noticeLayer_->setObjectName(QStringLiteral("noticeLayer"));
    noticeLayer_->setGeometry(0, 0, 397, 128);
    // Paints the window's own background, so the alert controls beneath do not show through.
    noticeLayer_->setAutoFillBackground(true);
    noticeLayer_->hide();

    celebrantsLabel_ = new QLabel(QStringLiteral("Legközelebbi ünnepeltek:"), noticeLayer_);
    celebrantsLabel_->setObjectName(QStringLiteral("celebrantsLabel"));
    celebrantsLabel_->move(4, 1);
    celebrantsLabel_->adjustSize();
    contactsLabel_ = new QLabel(QStringLiteral("A kijelölt partner elérhetőségei:"), noticeLayer_);
    contactsLabel_->setObjectName(QStringLiteral("contactsLabel"));
    contactsLabel_->move(216, 1);
    contactsLabel_->adjustSize();

    celebrantList_ = makeList("celebrantList", noticeLayer_);
    celebrantList_->setGeometry(5, 18, 209, 74);
    celebrantContacts_ = makeList("celebrantContacts", noticeLayer_);
    celebrantContacts_->setGeometry(216, 18, 178, 74);
    // A change of line by mouse or keyboard; a click on the line already selected is caught by
    // clicked, which compares with the line at the press.
    connect(celebrantList_, &QListWidget::currentRowChanged, this, [this](int) { showCelebrantContacts(); });
    connect(celebrantList_, &QListWidget::clicked, this, [this](const QModelIndex&) {
        if (celebrantList_->currentRow() == rowAtPress_) showCelebrantContacts();
    });
    connect(celebrantContacts_, &QListWidget::currentRowChanged, this, [this](int) { showContactHint(); });
    connect(celebrantContacts_, &QListWidget::clicked, this, [this](const QModelIndex&) {
        if (celebrantContacts_->currentRow() == rowAtPress_) showContactHint();
    });

    backButton_ =
        new ClickPanel(QStringLiteral("backButton"), QStringLiteral("<< Vissza a programba"), noticeLayer_);
    backButton_->setGeometry(5, 97, 135, 25);
    backButton_->onClick = [this] { backToProgram(); };
    exitButton_ = new ClickPanel(QStringLiteral("exitButton"), QStringLiteral("Kilépés >>"), noticeLayer_);
    exitButton_->setGeometry(304, 97, 90, 25);
    exitButton_->onClick = [this] { exitFromNotice(); };
    closeNoticeButton_ = new ClickPanel(QStringLiteral("closeNoticeButton"),
                                        QStringLiteral("Belépés a programba"), noticeLayer_);
    closeNoticeButton_->setGeometry(5, 99, 388, 21);
    closeNoticeButton_->onClick = [this] { closeNotice(); };
}

void AlertWindow::showAlert(const QString& caption, const QString& text, const QString& occurrenceKey) {
    play(PlayMode::Alarm);
    show();
    raise();
    activateWindow();
    setWindowTitle(caption);
    reminderDisplay_->clear();
    reminderDisplay_->setPlainText(text);
    // The key rides along as the display's hint; it is never shown.
    occurrenceKey_ = occurrenceKey;
    openerSize(kAlertWidth, kAlertHeight);
    if (!noticeLayer_->isHidden()) noticeLayer_->hide();
    actionList_->setFocus();
}

void AlertWindow::prepareNotice(const QStringList& lines, bool showBack, bool showExit, bool showClose) {
    setWindowTitle(QStringLiteral("Zelmoran - Név-, illetve születésnap emlékeztető"));
    {
        const QSignalBlocker block(celebrantList_);
        celebrantList_->clear();
        celebrantList_->addItems(lines);
    }
    backButton_->setVisible(showBack);
    exitButton_->setVisible(showExit);
    closeNoticeButton_->setVisible(showClose);
    openerSize(kNoticeWidth, kNoticeHeight);
    noticeLayer_->show();
}

void AlertWindow::openerSize(int width, int height) {
    setFixedSize(width, height);
    // The design fills 397 × 125 (the notice layer 397 × 128); the opener's size may be larger, so the
    // text and the lists take the extra room instead of leaving an empty strip below.
    const int dy = std::max(0, height - 125), dw = std::max(0, width - 397);
    displayFrame_->setGeometry(7, 18, 361, 81 + dy);
    reminderDisplay_->setGeometry(2, 2, 357, 77 + dy);
    actionList_->setGeometry(7, 101 + dy, 361, 22);
    const int ny = std::max(0, height - 128);
    noticeLayer_->setGeometry(0, 0, 397 + dw, 128 + ny);
    celebrantList_->setGeometry(5, 18, 209, 74 + ny);
    celebrantContacts_->setGeometry(216, 18, 178 + dw, 74 + ny);
    backButton_->setGeometry(5, 97 + ny, 135, 25);
    exitButton_->setGeometry(304 + dw, 97 + ny, 90, 25);
    closeNoticeButton_->setGeometry(5, 99 + ny, 388 + dw, 21);
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
    switch (host_.soundChoice()) {
    case SoundChoice::None:
        return;
    case SoundChoice::File: {
        // The own file loops in the preview too; a missing one stays silent, with no fallback.
        const QString file = host_.ownSoundFile();
        if (!file.isEmpty() && QFile::exists(file)) sound_.playFile(file, true);
        return;
    }
    default:
        host_.selectDefaultSound();
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
        host_.chooseSoundFile();
}

void AlertWindow::runChosenAction() {
    const int entry = actionList_->currentIndex();
    hide();
    switch (entry) {
    case 2:
        host_.editEvent(occurrenceKey_);
        break;
    case 3:
        host_.newEvent();
        break;
    case 4:
        host_.suspendWatching();
        break;
    default:
        break;
    }
    if (entry >= 1 && entry <= 4) host_.resetSummarySelection();
}

void AlertWindow::showCelebrantContacts() {
    celebrantContacts_->setToolTip(QString());
    const QListWidgetItem* item = celebrantList_->currentItem();
    const QString line = item ? item->text() : QString();
    if (item) {
        try {
            const PartnerLookup found = findPartner(host_.partnerFile(), celebrantName(toCp(line)));
            const QSignalBlocker block(celebrantContacts_);
            celebrantContacts_->clear();
            if (const auto& p = found.record)
                for (const std::string* field :
                     {&p->Email, &p->WebAddress, &p->Address, &p->Mobile, &p->Phone})
                    celebrantContacts_->addItem(fromCp(*field));
        } catch (const IoError&) {
            // The contact list keeps its lines when the partner file does not open.
        }
    }
    // The whole line, for one too long for the list.
    celebrantList_->setToolTip(line);
}

void AlertWindow::showContactHint() {
    const int row = celebrantContacts_->currentRow();
    const QListWidgetItem* item = celebrantContacts_->currentItem();
    if (!item || item->text().isEmpty() || row < 0 || row > static_cast<int>(ContactLine::Phone)) {
        celebrantContacts_->setToolTip(QString());
        return;
    }
    celebrantContacts_->setToolTip(contactLineLabel(static_cast<ContactLine>(row)) + QStringLiteral(": ") +
                                   item->text());
}

void AlertWindow::runContactLine() {
    const QListWidgetItem* item = celebrantContacts_->currentItem();
    const int row = celebrantContacts_->currentRow();
    if (!item || !item->isSelected() || row < 0 || row > static_cast<int>(ContactLine::Phone)) return;
    host_.contactAction(static_cast<ContactLine>(row), item->text());
}

void AlertWindow::backToProgram() {
    close();
    if (host_.mainWindowHidden()) host_.showMainWindow();
}

void AlertWindow::closeNotice() {
    close();
}

void AlertWindow::exitFromNotice() {
    close();
    host_.exitProgram();
}

bool AlertWindow::noticeKey(int key) {
    if (noticeLayer_->isHidden()) return false;
    if (key != Qt::Key_Escape && key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    exitFromNotice();
    return true;
}

bool AlertWindow::browseActions(QKeyEvent* key) {
    // The closed list runs every entry its keys pass over; here they only move, and Enter runs.
    if (key->modifiers() & Qt::AltModifier) return false;
    const int last = actionList_->count() - 1, at = actionList_->currentIndex();
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        actionList_->setCurrentIndex(std::max(0, at - 1));
        return true;
    case Qt::Key_Down:
    case Qt::Key_Right:
        actionList_->setCurrentIndex(std::min(last, at + 1));
        return true;
    case Qt::Key_Home:
    case Qt::Key_PageUp:
        actionList_->setCurrentIndex(0);
        return true;
    case Qt::Key_End:
    case Qt::Key_PageDown:
        actionList_->setCurrentIndex(last);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        runChosenAction();
        return true;
    default:
        break;
    }
    const QString typed = key->text().trimmed();
    if (typed.isEmpty() || !typed.at(0).isPrint()) return false;
    for (int step = 1; step <= actionList_->count(); ++step) {
        const int i = (at + step) % actionList_->count();
        if (actionList_->itemText(i).startsWith(typed, Qt::CaseInsensitive)) {
            actionList_->setCurrentIndex(i);
            break;
        }
    }
    return true;
}

void AlertWindow::silence() {
    play(PlayMode::Stop);
}

void AlertWindow::onShown() {
    applyColors();
    if (noticeLayer_->isHidden()) return;
    celebrantList_->setFocus();
    {
        const QSignalBlocker block(celebrantList_);
        celebrantList_->setCurrentRow(0);
    }
    showCelebrantContacts();
    closeNoticeButton_->setText(host_.startInTray() ? QStringLiteral("Ablak elrejtése")
                                                    : QStringLiteral("Belépés a programba"));
}

void AlertWindow::applyColors() {
    const ThemeColors t = host_.themeColors();
    const QColor background = colorOf(t[0]), captions = colorOf(t[1]), textBackground = colorOf(t[2]),
                 text = colorOf(t[3]), variations = colorOf(t[4]);
    setColors(this, {QPalette::Window}, background);
    for (QWidget* w : std::initializer_list<QWidget*>{alertTitle_, celebrantsLabel_, contactsLabel_})
        setColors(w, {QPalette::WindowText}, captions);
    for (QWidget* w : std::initializer_list<QWidget*>{backButton_, exitButton_, closeNoticeButton_}) {
        setColors(w, {QPalette::WindowText}, captions);
        setColors(w, {QPalette::Window}, textBackground);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{celebrantList_, celebrantContacts_, actionList_}) {
        setColors(w, {QPalette::Base, QPalette::Button}, textBackground);
        setColors(w, {QPalette::Text, QPalette::ButtonText, QPalette::WindowText}, text);
    }
    setColors(reminderDisplay_, {QPalette::Base}, textBackground);
    setColors(reminderDisplay_, {QPalette::Text}, variations);
}

bool AlertWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (noticeKey(key->key())) return true;
        return watched == actionList_ && browseActions(key);
    }
    case QEvent::Wheel:
        // A turn of the wheel over the closed list would run the entry it lands on.
        return watched == actionList_;
    case QEvent::MouseMove: {
        // Only a move over the widget itself: one handed up from a child was handled there, or
        // happened over a child that does not silence.
        auto* w = static_cast<QWidget*>(watched);
        if (silencing_.contains(w) && !w->childAt(static_cast<QMouseEvent*>(event)->position().toPoint()))
            silence();
        break;
    }
    case QEvent::MouseButtonPress:
        if (watched == celebrantList_->viewport()) rowAtPress_ = celebrantList_->currentRow();
        if (watched == celebrantContacts_->viewport()) rowAtPress_ = celebrantContacts_->currentRow();
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == celebrantContacts_->viewport()) runContactLine();
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void AlertWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    centreOnScreen();
    onShown();
}

void AlertWindow::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    play(PlayMode::Stop);
}

void AlertWindow::closeEvent(QCloseEvent* event) {
    play(PlayMode::Stop);
    QDialog::closeEvent(event);
}

void AlertWindow::keyPressEvent(QKeyEvent* event) {
    // Esc and Enter do not dismiss an alert; only the notice answers them, through noticeKey.
    QWidget::keyPressEvent(event);
}

} // namespace zel::gui
