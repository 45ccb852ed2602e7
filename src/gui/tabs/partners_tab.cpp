#include "gui/tabs/partners_tab.h"
#include "gui/widgets/widget_util.h"

#include "core/partners/partner_file.h"
#include "gui/error_box.h"
#include "gui/main_window.h"
#include "gui/platform/shell.h"
#include "gui/qt_text.h"
#include "gui/state/app_state.h"
#include "gui/tabs/new_event_tab.h"
#include "gui/tabs/settings_tab.h"
#include "gui/texts.h"

#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QTabWidget>
#include <QTextCursor>

#include <algorithm>

namespace zel::gui {

namespace {

const QString kTitleNew = QStringLiteral("        Új személy felvitele");
const QString kTitleModify = QStringLiteral("Személyi adatok módosítása");
const QString kNoChoice = QStringLiteral("Nincs megadva");
constexpr int kNoteLimit = 255;
constexpr std::size_t kNameCapacity = 41;

const char* const kContactLabels[] = {"E-mail cím", "Honlap cím", "Postai cím", "Mobiltelefon szám",
                                      "Vezetékes telefonszám"};

QLabel* caption(const QString& text, QWidget* parent, const QRect& at) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(at);
    return l;
}

} // namespace

PartnersTab::PartnersTab(MainWindow& main, QWidget* parent) : QWidget(parent), main_(main) {
    setObjectName(QStringLiteral("pSzemelyek"));
    build();
    buildEditor();
    connect(&main_.state(), &AppState::partnersChanged, this, &PartnersTab::showPartners);
}

void PartnersTab::build() {
    // The list takes the left side; the right holds the contact lines, the note and the buttons.
    names_ = new QStringListModel(this);
    lNevek = named(new QListView(this), "lNevek");
    lNevek->setModel(names_);
    lNevek->setGeometry(4, 4, 196, 242);
    lNevek->setUniformItemSizes(true); // thousands of names lay out without measuring each
    lNevek->setItemDelegate(new RowHeightDelegate(0, lNevek));
    lNevek->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lNevek->setSelectionMode(QAbstractItemView::SingleSelection);
    lNevek->installEventFilter(this);

    lEler = named(new QListWidget(this), "lEler");
    lEler->setItemDelegate(new RowHeightDelegate(0, lEler));
    lEler->setGeometry(206, 4, 279, 96);
    lEler->viewport()->installEventFilter(this);
    rMegj1 = named(new QPlainTextEdit(this), "rMegj1");
    rMegj1->setReadOnly(true);
    rMegj1->setGeometry(206, 104, 279, 106);

    Panel5 = named(new QPushButton(QStringLiteral("Új név"), this), "Panel5");
    Panel5->setGeometry(206, 216, 89, 28);
    Panel1 = named(new QPushButton(QStringLiteral("Módosítás"), this), "Panel1");
    Panel1->setGeometry(301, 216, 89, 28);
    Panel6 = named(new QPushButton(QStringLiteral("Törlés"), this), "Panel6");
    Panel6->setGeometry(396, 216, 89, 28);

    const auto run = [this](void (PartnersTab::*handler)()) {
        return [this, handler] { guarded(main_.dialogs(), [this, handler] { (this->*handler)(); }); };
    };
    connect(Panel5, &QPushButton::clicked, this, run(&PartnersTab::Panel5Click));
    connect(Panel1, &QPushButton::clicked, this, run(&PartnersTab::Panel1Click));
    connect(Panel6, &QPushButton::clicked, this, run(&PartnersTab::Panel6Click));
    connect(lNevek->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &PartnersTab::onNamesCurrentChanged);
    connect(lNevek, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (index.row() != shownRow_) guarded(main_.dialogs(), [this] { lNevekClick(); });
    });
    connect(lNevek, &QListView::doubleClicked, this, run(&PartnersTab::Panel1Click));
    connect(lEler, &QListWidget::currentRowChanged, this, [this] { lElerClick(); });
    connect(lEler, &QListWidget::itemClicked, this, [this] { lElerClick(); });
    connect(lEler, &QListWidget::itemDoubleClicked, this, run(&PartnersTab::lElerDblClick));

    // Escape belongs to the whole window: it closes the editing panel wherever the focus is.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &main_);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        if (!pUjnev->isHidden()) Panel3Click();
    });
}

void PartnersTab::buildEditor() {
    pUjnev = named(new QWidget(this), "pUjnev");
    pUjnev->setGeometry(rect());
    pUjnev->setAutoFillBackground(true);
    pUjnev->hide();

    lSzemely = named(new QLabel(pUjnev), "lSzemely");
    lSzemely->setGeometry(8, 2, 300, 22);
    QFont bold = lSzemely->font();
    bold.setBold(true);
    lSzemely->setFont(bold);

    const int left = 90, full = 395;
    eNev = named(new QLineEdit(pUjnev), "eNev");
    caption(QStringLiteral("&Név:"), pUjnev, {8, 28, 80, 22})->setBuddy(eNev);
    eNev->setMaxLength(40);
    eNev->setGeometry(left, 28, full, 22);
    eCim = named(new QLineEdit(pUjnev), "eCim");
    caption(QStringLiteral("&Cím:"), pUjnev, {8, 54, 80, 22})->setBuddy(eCim);
    eCim->setMaxLength(60);
    eCim->setGeometry(left, 54, full, 22);
    eWeb = named(new QLineEdit(pUjnev), "eWeb");
    caption(QStringLiteral("&Honlap:"), pUjnev, {8, 80, 80, 22})->setBuddy(eWeb);
    eWeb->setMaxLength(60);
    eWeb->setGeometry(left, 80, full, 22);
    eEmail = named(new QLineEdit(pUjnev), "eEmail");
    caption(QStringLiteral("&E-mail:"), pUjnev, {8, 106, 80, 22})->setBuddy(eEmail);
    eEmail->setMaxLength(30);
    eEmail->setGeometry(left, 106, 204, 22);
    eMobil = named(new QLineEdit(pUjnev), "eMobil");
    caption(QStringLiteral("M&obil:"), pUjnev, {302, 106, 50, 22})->setBuddy(eMobil);
    eMobil->setMaxLength(20);
    eMobil->setGeometry(352, 106, 133, 22);
    eTel = named(new QLineEdit(pUjnev), "eTel");
    caption(QStringLiteral("&Telefon:"), pUjnev, {8, 132, 80, 22})->setBuddy(eTel);
    eTel->setMaxLength(20);
    eTel->setGeometry(left, 132, 204, 22);
    mMegj = named(new QPlainTextEdit(pUjnev), "mMegj");
    caption(QStringLiteral("Me&gjegyzés:"), pUjnev, {8, 158, 80, 22})->setBuddy(mMegj);
    mMegj->setGeometry(left, 158, 204, 86);
    mMegj->setTabChangesFocus(true);

    gUjNevNap = named(new QGroupBox(QStringLiteral("Nevezetes napok felvitele "), pUjnev), "gUjNevNap");
    gUjNevNap->setGeometry(302, 132, 183, 52);
    cUjNevNapok = named(new QComboBox(gUjNevNap), "cUjNevNapok");
    cUjNevNapok->addItems({QStringLiteral("Névnap"), QStringLiteral("Születésnap"), kNoChoice});
    cUjNevNapok->setCurrentIndex(2);
    cUjNevNapok->setGeometry(8, 22, 167, 24);

    Panel4 = named(new QPushButton(QStringLiteral("Elment"), pUjnev), "Panel4");
    Panel4->setGeometry(302, 214, 89, 30);
    Panel4->setFont(bold);
    Panel3 = named(new QPushButton(QStringLiteral("Mégsem"), pUjnev), "Panel3");
    Panel3->setGeometry(396, 214, 89, 30);

    connect(Panel4, &QPushButton::clicked, this,
            [this] { guarded(main_.dialogs(), [this] { Panel4Click(); }); });
    connect(Panel3, &QPushButton::clicked, this, &PartnersTab::Panel3Click);
    connect(mMegj, &QPlainTextEdit::textChanged, this, &PartnersTab::limitNote);
    for (QLineEdit* e : {eNev, eCim, eWeb, eEmail, eMobil, eTel})
        e->installEventFilter(this);
}

bool PartnersTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (watched == lNevek) {
            void (PartnersTab::*handler)() = nullptr;
            if (key == Qt::Key_Insert) handler = &PartnersTab::Panel5Click;
            if (enter) handler = &PartnersTab::Panel1Click;
            if (key == Qt::Key_Delete) handler = &PartnersTab::Panel6Click;
            if (handler) {
                guarded(main_.dialogs(), [this, handler] { (this->*handler)(); });
                return true;
            }
        } else if (enter && qobject_cast<QLineEdit*>(watched) && watched->parent() == pUjnev) {
            guarded(main_.dialogs(), [this] { Panel4Click(); });
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonPress && watched == lEler->viewport() &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        guarded(main_.dialogs(), [this] { lElerMouseDown(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PartnersTab::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    pUjnev->setGeometry(rect()); // the open panel covers the whole page
}

bool PartnersTab::modifying() const {
    return lSzemely->text().startsWith(QLatin1Char('S'));
}

void PartnersTab::showNames(const std::vector<std::string>& names) {
    QStringList shown;
    shown.reserve(static_cast<qsizetype>(names.size()));
    for (const auto& n : names)
        shown << fromCp(n);
    selecting_ = true;
    names_->setStringList(shown);
    selecting_ = false;
    shownRow_ = -1;
}

void PartnersTab::selectRow(int row) {
    selecting_ = true;
    lNevek->setCurrentIndex(names_->index(row));
    selecting_ = false;
    lNevek->scrollTo(names_->index(row));
}

int PartnersTab::selectedRow() const {
    int row = -1;
    for (const QModelIndex& i : lNevek->selectionModel()->selectedIndexes())
        if (row < 0 || i.row() < row) row = i.row();
    return row;
}

void PartnersTab::onNamesCurrentChanged() {
    // Loading and selecting by program show no details, as a click or an arrow key does.
    if (!selecting_) guarded(main_.dialogs(), [this] { lNevekClick(); });
}

void PartnersTab::PartnerekBetolt() {
    // A file that does not open gives an empty list, never an error; the list follows the state.
    main_.state().reloadPartners();
}

void PartnersTab::showPartners() {
    currentIndex_ = 0;
    const bool empty = main_.state().partnerNames().empty();
    showNames(main_.state().partnerNames());
    PartnerListaTilt(false);
    if (empty) PartnerListaTilt(true);
    if (!empty) selectRow(0);
}

void PartnersTab::PartnerListaTilt(bool empty) {
    if (empty) {
        if (names_->rowCount() > 0) showNames({});
        lEler->clear();
        rMegj1->clear();
    }
    lNevek->setEnabled(!empty);
    lEler->setEnabled(!empty);
    Panel1->setVisible(!empty);
    Panel6->setVisible(!empty);
}

void PartnersTab::lNevekClick() {
    const QModelIndex at = lNevek->currentIndex();
    const auto& names = main_.partnerNames();
    if (!at.isValid() || at.row() >= static_cast<int>(names.size())) return;
    const std::string& name = names[static_cast<std::size_t>(at.row())];
    lNevek->setToolTip(at.data().toString());
    lEler->setToolTip(QString());
    lEler->setEnabled(false);
    mMegj->setEnabled(false);

    const PartnerLookup found = findPartner(main_.paths().partners(), name);
    currentIndex_ = found.index;
    lEler->clear();
    mMegj->clear();
    rMegj1->clear();
    if (found.record) {
        const PartnerRecord& p = *found.record;
        for (const std::string* line : {&p.Email, &p.WebAddress, &p.Address, &p.Mobile, &p.Phone})
            lEler->addItem(fromCp(*line));
        rMegj1->setPlainText(fromStored(p.Note));
    }
    lEler->setEnabled(true);
    mMegj->setEnabled(true);
    shownRow_ = at.row();
}

void PartnersTab::Panel5Click() {
    pUjnev->show();
    pUjnev->raise();
    for (QLineEdit* e : {eNev, eCim, eEmail, eMobil, eTel})
        e->clear();
    mMegj->clear();
    eWeb->setText(QStringLiteral("http://"));
    eNev->setFocus();
    lSzemely->setText(kTitleNew);
}

void PartnersTab::Panel1Click() {
    // Read first: a record that cannot be read leaves the panel closed.
    const PartnerRecord p = readPartnerAt(main_.paths().partners(), currentIndex_);
    pUjnev->show();
    pUjnev->raise();
    eNev->setText(fromCp(p.Name));
    eCim->setText(fromCp(p.Address));
    eWeb->setText(fromCp(p.WebAddress));
    eEmail->setText(fromCp(p.Email));
    eMobil->setText(fromCp(p.Mobile));
    eTel->setText(fromCp(p.Phone));
    mMegj->setPlainText(fromStored(p.Note));
    lSzemely->setText(kTitleModify);
    eNev->setFocus();
    eNev->setCursorPosition(0);
    formerName_ = p.Name;
}

void PartnersTab::Panel3Click() {
    pUjnev->hide();
    if (lNevek->isEnabled() && lNevek->isVisible()) lNevek->setFocus();
}

void PartnersTab::NevMent() {
    Dialogs& dialogs = main_.dialogs();
    const bool modification = modifying();
    if (eNev->text().startsWith(QLatin1Char(' '))) eNev->setText(eNev->text().mid(1));
    const std::string name = toCp(eNev->text());

    const bool renamed = modification && name != formerName_;
    if (renamed &&
        dialogs.warning(QStringLiteral("Ha partnere nevét megváltoztatja, akkor annak név-, és születésnapja "
                                       "is törlődik!") +
                            kNl + kNl + QStringLiteral("Meg szeretné tartani a partnere régi nevét?"),
                        Dialogs::Yes | Dialogs::No) == Dialogs::Yes)
        return;

    const std::filesystem::path file = main_.paths().partners();
    const NameCheck check = checkPartnerName(file, name, modification);
    if (!check.ok()) {
        // Every refusal is told, one box after the other; with the warnings off, none is.
        if (main_.settings().warnings) {
            if (check.duplicate)
                dialogs.warning(
                    QStringLiteral("Ilyen névvel már szerepel partner. Kérem válasszon másik nevet!"));
            if (check.empty) dialogs.warning(QStringLiteral("Kérem adjon meg egy nevet új partnerének!"));
            if (check.colon) dialogs.warning(QStringLiteral("A név nem tartalmazhatja a \":\" karaktert!"));
        }
        eNev->setFocus();
        return;
    }

    PartnerRecord rec;
    rec.Name = name;
    rec.Address = toCp(eCim->text());
    if (eWeb->text().isEmpty()) eWeb->setText(QStringLiteral("http://"));
    const std::optional<std::string> web = storedWebAddress(toCp(eWeb->text()));
    if (!web) {
        dialogs.warning(QStringLiteral("A megadott Internet cím érvénytelen. Kérem, javítsa."));
        eWeb->setFocus();
        return;
    }
    rec.WebAddress = *web;
    rec.Email = toCp(eEmail->text());
    if (!emailAccepted(rec.Email)) {
        dialogs.warning(QStringLiteral("A megadott e-mail cím érvénytelen. Kérem, javítsa."));
        eEmail->setFocus();
        return;
    }
    rec.Mobile = toCp(eMobil->text());
    rec.Phone = toCp(eTel->text());
    rec.Note = toStored(mMegj->toPlainText());

    main_.state().savePartner(rec, modification ? std::optional<std::size_t>(currentIndex_) : std::nullopt);
    if (renamed) {
        dialogs.information(QStringLiteral("A partnerének megváltoztatta a nevét.") + kNl +
                            QStringLiteral("Így a rögzített régi név- és születésnapok időpontja törlődik!"));
        NevSznapTorles(formerName_);
    }

    lNevek->setEnabled(true);
    lEler->setEnabled(true);
    Panel1->show();
    Panel6->show();
    pUjnev->hide();
    lNevek->setFocus();
    const std::string saved = rec.Name.substr(0, kNameCapacity); // as stored and listed
    const auto& names = main_.partnerNames();
    const auto it = std::find(names.begin(), names.end(), saved);
    if (it != names.end()) {
        selectRow(static_cast<int>(it - names.begin()));
        lNevekClick();
    }

    const QString choice = cUjNevNapok->currentText();
    if (choice == QStringLiteral("Névnap")) {
        main_.setLastSavedPartner(saved);
        if (onNameDaySearch) onNameDaySearch(fromCp(givenNameOf(saved)));
    } else if (choice == QStringLiteral("Születésnap")) {
        main_.setLastSavedPartner(saved);
        main_.pLapok()->setCurrentIndex(MainWindow::TabNewEvent);
        main_.newEventTab()->selectKind(EventKind::Birthday);
    }
}

void PartnersTab::Panel6Click() {
    const std::filesystem::path file = main_.paths().partners();
    const std::size_t n = partnerCount(file);
    const int i = selectedRow();
    if (i < 0 || static_cast<std::size_t>(i) >= n) return;
    const std::string name = main_.partnerNames()[static_cast<std::size_t>(i)];
    // Without the warnings there is no question to say yes to, so nothing is deleted.
    if (!main_.settings().warnings) return;
    if (main_.dialogs().confirmation(QStringLiteral("Valóban töröli \"") +
                                         names_->index(i).data().toString() +
                                         QStringLiteral("\"-t a partnerei közül?") + kNl +
                                         QStringLiteral("(A partner név-, és születésnapja is törlődik!)"),
                                     Dialogs::Yes | Dialogs::No) != Dialogs::Yes)
        return;

    main_.state().deletePartner(static_cast<std::size_t>(i));
    const std::size_t m = main_.state().partnerNames().size();
    if (m > 0) {
        lNevek->setFocus();
        selectRow(std::min(i, static_cast<int>(m) - 1));
        lNevekClick();
    } else {
        PartnerListaTilt(true);
    }
    NevSznapTorles(name);
}

void PartnersTab::NevSznapTorles(const std::string& name) {
    main_.state().removePartnerEvents(name);
}

void PartnersTab::lElerClick() {
    const int i = lEler->currentRow();
    if (i < 0 || i >= static_cast<int>(std::size(kContactLabels))) return;
    const QString v = lEler->item(i)->text();
    lEler->setToolTip(v.isEmpty() ? QString()
                                  : QString::fromUtf8(kContactLabels[i]) + QStringLiteral(": ") + v);
}

void PartnersTab::lElerDblClick() {
    const QListWidgetItem* item = lEler->currentItem();
    if (item) Contact(lEler->currentRow(), item->text());
}

void PartnersTab::lElerMouseDown() {
    main_.pLapok()->setCurrentIndex(MainWindow::TabSettings);
    main_.settingsTab()->button_webaddressClick();
}

void PartnersTab::Contact(int index, const QString& text) {
    if (text.size() < 2 || index < 0 || index > 4) return;
    const Settings s = main_.settings();
    QString target;
    switch (index) {
    case 0:
        target = QStringLiteral("mailto:") + text;
        break;
    case 1:
        target = text;
        break;
    case 2:
        target = fromCp(s.mapPage);
        break;
    case 3:
        target = fromCp(s.smsPage);
        break;
    default:
        target = fromCp(s.phonePage);
        break;
    }
    if (index >= 2 && main_.dialogs().information(QStringLiteral("Szeretné a kijelölt sort (") + text +
                                                      QStringLiteral(") kimásolni a Vágólapra?") + kNl +
                                                      QStringLiteral("(A Vágólap régi tartalma elvész!)"),
                                                  Dialogs::Yes | Dialogs::No) == Dialogs::Yes) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(text);
    }
    // The page is opened as stored: the user pastes the copied line there.
    main_.shell().openAddress(target);
}

void PartnersTab::limitNote() {
    // The note is stored with CR LF, so a line break takes two of its 255 bytes.
    const QString text = mMegj->toPlainText();
    int bytes = 0;
    qsizetype keep = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const int add = c == QLatin1Char('\n') ? 2 : (c.isLowSurrogate() ? 0 : 1);
        if (bytes + add > kNoteLimit) break;
        bytes += add;
        keep = i + 1;
    }
    if (keep == text.size()) return;
    const QSignalBlocker block(mMegj);
    mMegj->setPlainText(text.left(keep));
    mMegj->moveCursor(QTextCursor::End);
}

} // namespace zel::gui
