#include "gui/alert/alert_window.h"
#include "gui/theme/theme.h"
#include "gui/widgets/widget_util.h"

#include <algorithm>

#include "core/errors.h"
#include "core/partners/partner_record.h"
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
const char* const kContactLabels[] = {"E-mail cím", "Honlap cím", "Postai cím", "Mobiltelefon szám",
                                      "Vezetékes telefonszám"};

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

TfAkcio::TfAkcio(AlertHost& host, Sound& sound, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint),
      host_(host), sound_(sound), dialogs_(dialogs) {
    setObjectName(QStringLiteral("fAkcio"));
    setModal(false);
    setFont(arial(11));
    setFixedSize(kDesignWidth, kDesignHeight);
    setAutoFillBackground(true);
    setColors(this, {QPalette::Window}, Qt::black);
    buildWindow();
    buildNoticeLayer();

    // Mouse moves over these silence the alarm; the lists report theirs on the viewport.
    silencing_ = {this, Label1_, pNevnap_, lNevSzulNaposok_->viewport(), lUnnepeltEler_->viewport(), Panel2_};
    for (QWidget* w : std::as_const(silencing_))
        w->setMouseTracking(true);
    // Every key passes here first, as with the window's key preview.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);

    cMuv_->setCurrentIndex(0);
}

void TfAkcio::buildWindow() {
    Label1_ = new QLabel(QStringLiteral("Zelmoran emlékeztető"), this);
    Label1_->setObjectName(QStringLiteral("Label1"));
    Label1_->setFont(arial(16, true));
    Label1_->move(100, 0);
    Label1_->adjustSize();

    Panel1_ = new QFrame(this);
    Panel1_->setObjectName(QStringLiteral("Panel1"));
    Panel1_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1_->setLineWidth(1);
    Panel1_->setGeometry(7, 18, 361, 81);

    mKijelzo_ = new QTextEdit(Panel1_);
    mKijelzo_->setObjectName(QStringLiteral("mKijelzo"));
    mKijelzo_->setReadOnly(true);
    mKijelzo_->setAcceptRichText(false);
    mKijelzo_->setFrameStyle(QFrame::NoFrame);
    mKijelzo_->setGeometry(2, 2, 357, 77);

    cMuv_ = new QComboBox(this);
    cMuv_->setObjectName(QStringLiteral("cMuv"));
    for (const char* a : kActions)
        cMuv_->addItem(QString::fromUtf8(a));
    cMuv_->setItemDelegate(new RowHeightDelegate(16, cMuv_));
    cMuv_->setGeometry(7, 101, 361, 22);
    cMuv_->setFixedHeight(22);
    // activated, not currentIndexChanged: choosing the shown entry again acts as well.
    connect(cMuv_, &QComboBox::activated, this, [this](int) { cMuvChange(); });
}

void TfAkcio::buildNoticeLayer() {
    pNevnap_ = new QFrame(this);
    pNevnap_->setObjectName(QStringLiteral("pNevnap"));
    pNevnap_->setGeometry(0, 0, 397, 128);
    // Paints the window's own background, so the alert controls beneath do not show through.
    pNevnap_->setAutoFillBackground(true);
    pNevnap_->hide();

    Label3_ = new QLabel(QStringLiteral("Legközelebbi ünnepeltek:"), pNevnap_);
    Label3_->setObjectName(QStringLiteral("Label3"));
    Label3_->move(4, 1);
    Label3_->adjustSize();
    Label4_ = new QLabel(QStringLiteral("A kijelölt partner elérhetőségei:"), pNevnap_);
    Label4_->setObjectName(QStringLiteral("Label4"));
    Label4_->move(216, 1);
    Label4_->adjustSize();

    lNevSzulNaposok_ = makeList("lNevSzulNaposok", pNevnap_);
    lNevSzulNaposok_->setGeometry(5, 18, 209, 74);
    lUnnepeltEler_ = makeList("lUnnepeltEler", pNevnap_);
    lUnnepeltEler_->setGeometry(216, 18, 178, 74);
    // A change of line by mouse or keyboard; a click on the line already selected is caught by
    // clicked, which compares with the line at the press.
    connect(lNevSzulNaposok_, &QListWidget::currentRowChanged, this, [this](int) { lNevSzulNaposokClick(); });
    connect(lNevSzulNaposok_, &QListWidget::clicked, this, [this](const QModelIndex&) {
        if (lNevSzulNaposok_->currentRow() == rowAtPress_) lNevSzulNaposokClick();
    });
    connect(lUnnepeltEler_, &QListWidget::currentRowChanged, this, [this](int) { lUnnepeltElerClick(); });
    connect(lUnnepeltEler_, &QListWidget::clicked, this, [this](const QModelIndex&) {
        if (lUnnepeltEler_->currentRow() == rowAtPress_) lUnnepeltElerClick();
    });

    pVissza_ = new ClickPanel(QStringLiteral("pVissza"), QStringLiteral("<< Vissza a programba"), pNevnap_);
    pVissza_->setGeometry(5, 97, 135, 25);
    pVissza_->onClick = [this] { pVisszaClick(); };
    Panel5_ = new ClickPanel(QStringLiteral("Panel5"), QStringLiteral("Kilépés >>"), pNevnap_);
    Panel5_->setGeometry(304, 97, 90, 25);
    Panel5_->onClick = [this] { Panel5Click(); };
    Panel2_ = new ClickPanel(QStringLiteral("Panel2"), QStringLiteral("Belépés a programba"), pNevnap_);
    Panel2_->setGeometry(5, 99, 388, 21);
    Panel2_->onClick = [this] { Panel2Click(); };
}

void TfAkcio::showAlert(const QString& caption, const QString& text, const QString& occurrenceKey) {
    Play(1);
    show();
    raise();
    activateWindow();
    setWindowTitle(caption);
    mKijelzo_->clear();
    mKijelzo_->setPlainText(text);
    // The key rides along as the display's hint; it is never shown.
    occurrenceKey_ = occurrenceKey;
    openerSize(kAlertWidth, kAlertHeight);
    if (!pNevnap_->isHidden()) pNevnap_->hide();
    cMuv_->setFocus();
}

void TfAkcio::prepareNotice(const QStringList& lines, bool showBack, bool showExit, bool showClose) {
    setWindowTitle(QStringLiteral("Zelmoran - Név-, illetve születésnap emlékeztető"));
    {
        const QSignalBlocker block(lNevSzulNaposok_);
        lNevSzulNaposok_->clear();
        lNevSzulNaposok_->addItems(lines);
    }
    pVissza_->setVisible(showBack);
    Panel5_->setVisible(showExit);
    Panel2_->setVisible(showClose);
    openerSize(kNoticeWidth, kNoticeHeight);
    pNevnap_->show();
}

void TfAkcio::openerSize(int width, int height) {
    setFixedSize(width, height);
    // The design fills 397 × 125 (the notice layer 397 × 128); the opener's size may be larger, so the
    // text and the lists take the extra room instead of leaving an empty strip below.
    const int dy = std::max(0, height - 125), dw = std::max(0, width - 397);
    Panel1_->setGeometry(7, 18, 361, 81 + dy);
    mKijelzo_->setGeometry(2, 2, 357, 77 + dy);
    cMuv_->setGeometry(7, 101 + dy, 361, 22);
    const int ny = std::max(0, height - 128);
    pNevnap_->setGeometry(0, 0, 397 + dw, 128 + ny);
    lNevSzulNaposok_->setGeometry(5, 18, 209, 74 + ny);
    lUnnepeltEler_->setGeometry(216, 18, 178 + dw, 74 + ny);
    pVissza_->setGeometry(5, 97 + ny, 135, 25);
    Panel5_->setGeometry(304 + dw, 97 + ny, 90, 25);
    Panel2_->setGeometry(5, 99 + ny, 388 + dw, 21);
    centreOnScreen();
}

void TfAkcio::centreOnScreen() {
    const QScreen* s = screen();
    if (!s) return;
    QRect r = frameGeometry();
    r.moveCenter(s->availableGeometry().center());
    move(r.topLeft());
}

void TfAkcio::Play(int mode) {
    if (mode == 0) {
        sound_.stop();
        return;
    }
    if (mode != 1 && mode != 2) return;
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
        sound_.playDefault(mode == 1);
    }
}

void TfAkcio::TestPlay(const QString& file) {
    if (file.isEmpty()) return;
    if (QFile::exists(file)) {
        sound_.playFile(file, false);
        return;
    }
    const QString text = QStringLiteral("A lejátszandó állomány nem található!") + kNl + file + kNl + kNl +
                         QStringLiteral("Szeretne megadni egy másik hangállományt?");
    if (dialogs_.message(Dialogs::Kind::Warning, QStringLiteral("Figyelem!"), text,
                         Dialogs::Yes | Dialogs::No) == Dialogs::Yes)
        host_.pHangClick();
}

void TfAkcio::cMuvChange() {
    const int entry = cMuv_->currentIndex();
    hide();
    switch (entry) {
    case 2:
        host_.editEvent(occurrenceKey_);
        break;
    case 3:
        host_.newEvent();
        break;
    case 4:
        host_.mAktivClick();
        break;
    default:
        break;
    }
    if (entry >= 1 && entry <= 4) host_.cLegkozelebbFrissit();
}

void TfAkcio::lNevSzulNaposokClick() {
    lUnnepeltEler_->setToolTip(QString());
    const QListWidgetItem* item = lNevSzulNaposok_->currentItem();
    const QString line = item ? item->text() : QString();
    if (item) {
        const std::string name = celebrantName(toCp(line));
        try {
            const std::string bytes = readRecords(host_.partnerFile(), kPartnerRecordSize);
            const QSignalBlocker block(lUnnepeltEler_);
            lUnnepeltEler_->clear();
            for (std::size_t at = 0; at < bytes.size(); at += kPartnerRecordSize) {
                const PartnerRecord p =
                    decodePartner(reinterpret_cast<const std::uint8_t*>(bytes.data() + at));
                if (p.Name != name) continue;
                for (const std::string* field : {&p.Email, &p.WebAddress, &p.Address, &p.Mobile, &p.Phone})
                    lUnnepeltEler_->addItem(fromCp(*field));
                break;
            }
        } catch (const IoError&) {
            // The contact list keeps its lines when the partner file does not open.
        }
    }
    // The whole line, for one too long for the list.
    lNevSzulNaposok_->setToolTip(line);
}

void TfAkcio::lUnnepeltElerClick() {
    const int row = lUnnepeltEler_->currentRow();
    const QListWidgetItem* item = lUnnepeltEler_->currentItem();
    if (!item || item->text().isEmpty() || row >= static_cast<int>(std::size(kContactLabels))) {
        lUnnepeltEler_->setToolTip(QString());
        return;
    }
    lUnnepeltEler_->setToolTip(QString::fromUtf8(kContactLabels[row]) + QStringLiteral(": ") + item->text());
}

void TfAkcio::lUnnepeltElerDblClick() {
    const QListWidgetItem* item = lUnnepeltEler_->currentItem();
    if (!item || !item->isSelected()) return;
    host_.Contact(lUnnepeltEler_->currentRow(), item->text());
}

void TfAkcio::pVisszaClick() {
    close();
    if (host_.mainWindowHidden()) host_.showMainWindow();
}

void TfAkcio::Panel2Click() {
    close();
}

void TfAkcio::Panel5Click() {
    close();
    host_.Kilepes();
}

bool TfAkcio::FormKeyDown(int key) {
    if (pNevnap_->isHidden()) return false;
    if (key != Qt::Key_Escape && key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    Panel5Click();
    return true;
}

bool TfAkcio::browseActions(QKeyEvent* key) {
    // The closed list runs every entry its keys pass over; here they only move, and Enter runs.
    if (key->modifiers() & Qt::AltModifier) return false;
    const int last = cMuv_->count() - 1, at = cMuv_->currentIndex();
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        cMuv_->setCurrentIndex(std::max(0, at - 1));
        return true;
    case Qt::Key_Down:
    case Qt::Key_Right:
        cMuv_->setCurrentIndex(std::min(last, at + 1));
        return true;
    case Qt::Key_Home:
    case Qt::Key_PageUp:
        cMuv_->setCurrentIndex(0);
        return true;
    case Qt::Key_End:
    case Qt::Key_PageDown:
        cMuv_->setCurrentIndex(last);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        cMuvChange();
        return true;
    default:
        break;
    }
    const QString typed = key->text().trimmed();
    if (typed.isEmpty() || !typed.at(0).isPrint()) return false;
    for (int step = 1; step <= cMuv_->count(); ++step) {
        const int i = (at + step) % cMuv_->count();
        if (cMuv_->itemText(i).startsWith(typed, Qt::CaseInsensitive)) {
            cMuv_->setCurrentIndex(i);
            break;
        }
    }
    return true;
}

void TfAkcio::Panel2MouseMove() {
    Play(0);
}

void TfAkcio::FormShow() {
    applyColors();
    if (pNevnap_->isHidden()) return;
    lNevSzulNaposok_->setFocus();
    {
        const QSignalBlocker block(lNevSzulNaposok_);
        lNevSzulNaposok_->setCurrentRow(0);
    }
    lNevSzulNaposokClick();
    Panel2_->setText(host_.startInTray() ? QStringLiteral("Ablak elrejtése")
                                         : QStringLiteral("Belépés a programba"));
}

void TfAkcio::applyColors() {
    const ThemeColors t = host_.themeColors();
    const QColor background = colorOf(t[0]), captions = colorOf(t[1]), textBackground = colorOf(t[2]),
                 text = colorOf(t[3]), variations = colorOf(t[4]);
    setColors(this, {QPalette::Window}, background);
    for (QWidget* w : std::initializer_list<QWidget*>{Label1_, Label3_, Label4_})
        setColors(w, {QPalette::WindowText}, captions);
    for (QWidget* w : std::initializer_list<QWidget*>{pVissza_, Panel5_, Panel2_}) {
        setColors(w, {QPalette::WindowText}, captions);
        setColors(w, {QPalette::Window}, textBackground);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{lNevSzulNaposok_, lUnnepeltEler_, cMuv_}) {
        setColors(w, {QPalette::Base, QPalette::Button}, textBackground);
        setColors(w, {QPalette::Text, QPalette::ButtonText, QPalette::WindowText}, text);
    }
    setColors(mKijelzo_, {QPalette::Base}, textBackground);
    setColors(mKijelzo_, {QPalette::Text}, variations);
}

bool TfAkcio::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (FormKeyDown(key->key())) return true;
        return watched == cMuv_ && browseActions(key);
    }
    case QEvent::Wheel:
        // A turn of the wheel over the closed list would run the entry it lands on.
        return watched == cMuv_;
    case QEvent::MouseMove: {
        // Only a move over the widget itself: one handed up from a child was handled there, or
        // happened over a child that does not silence.
        auto* w = static_cast<QWidget*>(watched);
        if (silencing_.contains(w) && !w->childAt(static_cast<QMouseEvent*>(event)->position().toPoint()))
            Panel2MouseMove();
        break;
    }
    case QEvent::MouseButtonPress:
        if (watched == lNevSzulNaposok_->viewport()) rowAtPress_ = lNevSzulNaposok_->currentRow();
        if (watched == lUnnepeltEler_->viewport()) rowAtPress_ = lUnnepeltEler_->currentRow();
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == lUnnepeltEler_->viewport()) lUnnepeltElerDblClick();
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TfAkcio::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    centreOnScreen();
    FormShow();
}

void TfAkcio::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    Play(0);
}

void TfAkcio::closeEvent(QCloseEvent* event) {
    Play(0);
    QDialog::closeEvent(event);
}

void TfAkcio::keyPressEvent(QKeyEvent* event) {
    // Esc and Enter do not dismiss an alert; only the notice answers them, through FormKeyDown.
    QWidget::keyPressEvent(event);
}

} // namespace zel::gui
