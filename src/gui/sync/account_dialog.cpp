#include "gui/sync/account_dialog.h"

#include "gui/platform/dialogs.h"
#include "gui/state/app_state.h"
#include "gui/sync/dav_error_text.h"
#include "gui/sync/secret_store.h"
#include "gui/text/error_box.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace zel::gui {

namespace {

const QString kSessionNote = QStringLiteral("A jelszót a rendszer jelszótára nem tudta megőrizni; a program "
                                            "csak a mostani futás idejére jegyzi meg.");
const QString kNoBooks = QStringLiteral("A kiszolgálón nem található címjegyzék. Mentéskor a program "
                                        "létrehozza a „Zelmoran” címjegyzéket.");

const QString kNoCalendar = QStringLiteral("Nincs naptár (a dátumok csak ezen a gépen)");
const QString kCalendarNote =
    QStringLiteral("A naptár a Zelmorané: a partnerek névnapjai és születésnapjai és az aktív emlékeztetők "
                   "kerülnek bele. Ha máshol módosítják az eseményeit, a következő szinkronizálás "
                   "visszaállítja őket.");
const QString kNoCalendarOnServer = QStringLiteral("A kiszolgáló nem kínál naptárt.");

QString newBookName() {
    return QString::fromUtf16(AccountDialog::kNewBookName);
}

QString newCalendarName() {
    return QString::fromUtf16(AccountDialog::kNewCalendarName);
}

} // namespace

AccountDialog::AccountDialog(AppState& state, Dialogs& dialogs, SecretStore& secrets, Discovery discovery,
                             QWidget* parent)
    : QDialog(parent), state_(state), dialogs_(dialogs), secrets_(secrets), discovery_(std::move(discovery)) {
    build();
    showAccount(state_.settings().account);
}

QString AccountDialog::normalizedServer(const QString& text) {
    QString t = text.trimmed();
    if (t.isEmpty()) return {};
    if (!t.contains(QStringLiteral("://"))) t.prepend(QStringLiteral("https://"));
    const QUrl url(t, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"https" && scheme != u"http")) return {};
    return t;
}

void AccountDialog::build() {
    setObjectName(QStringLiteral("accountDialog"));
    setWindowTitle(QStringLiteral("Szinkronizálás beállítása"));
    const auto named = [](QWidget* w, const char* name, const QString& label) {
        w->setObjectName(QString::fromLatin1(name));
        w->setAccessibleName(label);
    };
    serverEdit_ = new QLineEdit(this);
    named(serverEdit_, "serverEdit", QStringLiteral("Kiszolgáló címe"));
    serverEdit_->setPlaceholderText(QStringLiteral("https://cloud.example.hu"));
    userEdit_ = new QLineEdit(this);
    named(userEdit_, "userEdit", QStringLiteral("Felhasználónév"));
    passwordEdit_ = new QLineEdit(this);
    named(passwordEdit_, "passwordEdit", QStringLiteral("Jelszó"));
    passwordEdit_->setEchoMode(QLineEdit::Password);
    bookChoice_ = new QComboBox(this);
    named(bookChoice_, "addressBookChoice", QStringLiteral("Címjegyzék"));
    bookChoice_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    searchButton_ = new QPushButton(QStringLiteral("Címjegyzékek és naptárak keresése"), this);
    searchButton_->setObjectName(QStringLiteral("searchButton"));
    searchButton_->setAutoDefault(false);
    calendarChoice_ = new QComboBox(this);
    named(calendarChoice_, "calendarChoice", QStringLiteral("Naptár"));
    calendarChoice_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    noCalendarNote_ = new QLabel(kNoCalendarOnServer, this);
    noCalendarNote_->setObjectName(QStringLiteral("noCalendarNote"));
    noCalendarNote_->hide();
    auto* calendarNote = new QLabel(kCalendarNote, this);
    calendarNote->setObjectName(QStringLiteral("calendarNote"));
    calendarNote->setWordWrap(true);
    alarmEdit_ = new QTimeEdit(this);
    named(alarmEdit_, "celebrationAlarmEdit", QStringLiteral("Névnapok és születésnapok jelzése"));
    alarmEdit_->setDisplayFormat(QStringLiteral("H:mm"));
    intervalSpin_ = new QSpinBox(this);
    named(intervalSpin_, "syncIntervalSpin", QStringLiteral("Automatikus szinkronizálás"));
    intervalSpin_->setRange(0, kSyncEveryMinutesMax);
    intervalSpin_->setSingleStep(5);
    intervalSpin_->setSpecialValueText(QStringLiteral("ki"));
    intervalSpin_->setSuffix(QStringLiteral(" percenként"));
    intervalSpin_->setToolTip(QStringLiteral("Bekapcsolva a program induláskor is szinkronizál."));
    sessionNote_ = new QLabel(kSessionNote, this);
    sessionNote_->setObjectName(QStringLiteral("sessionPasswordNote"));
    sessionNote_->setWordWrap(true);
    sessionNote_->hide();

    // The search fills both choices, so it stands above them rather than beside one.
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(searchButton_);
    searchRow->addStretch(1);
    auto* calendarNotes = new QVBoxLayout;
    calendarNotes->addWidget(noCalendarNote_);
    calendarNotes->addWidget(calendarNote);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Kiszolgáló címe:"), serverEdit_);
    form->addRow(QStringLiteral("Felhasználónév:"), userEdit_);
    form->addRow(QStringLiteral("Jelszó:"), passwordEdit_);
    form->addRow(static_cast<QWidget*>(nullptr), searchRow);
    form->addRow(QStringLiteral("Címjegyzék:"), bookChoice_);
    form->addRow(QStringLiteral("Naptár:"), calendarChoice_);
    form->addRow(static_cast<QWidget*>(nullptr), calendarNotes);
    form->addRow(QStringLiteral("Névnapok és születésnapok jelzése:"), alarmEdit_);
    form->addRow(QStringLiteral("Automatikus szinkronizálás:"), intervalSpin_);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    buttons_->setObjectName(QStringLiteral("buttonBox"));
    buttons_->button(QDialogButtonBox::Save)->setText(QStringLiteral("Mentés"));
    buttons_->button(QDialogButtonBox::Save)->setObjectName(QStringLiteral("saveButton"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Mégse"));
    buttons_->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));

    auto* page = new QVBoxLayout(this);
    page->addLayout(form);
    page->addWidget(sessionNote_);
    page->addStretch(1);
    page->addWidget(buttons_);
    // Room for a usual address without making the fields scroll.
    serverEdit_->setMinimumWidth(fontMetrics().horizontalAdvance(u'x') * 40);

    connect(searchButton_, &QPushButton::clicked, this, &AccountDialog::search);
    connect(buttons_, &QDialogButtonBox::accepted, this, &AccountDialog::onSaveClicked);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(serverEdit_, &QLineEdit::textEdited, this, &AccountDialog::forgetCollections);
    connect(userEdit_, &QLineEdit::textEdited, this, &AccountDialog::forgetCollections);
}

void AccountDialog::showAccount(const SyncAccount& account) {
    const QString server = QString::fromStdString(account.server);
    const QString user = QString::fromStdString(account.user);
    serverEdit_->setText(server);
    userEdit_->setText(user);
    intervalSpin_->setValue(account.everyMinutes);
    const QString url = QString::fromStdString(account.addressBook);
    std::vector<AddressBookInfo> saved;
    if (!url.isEmpty()) saved.push_back({QUrl(url), QString::fromStdString(account.addressBookName)});
    fillBooks(saved, url);
    const QString calendar = QString::fromStdString(account.calendar);
    std::vector<CalendarInfo> savedCalendars;
    if (!calendar.isEmpty())
        savedCalendars.push_back({QUrl(calendar), QString::fromStdString(account.calendarName)});
    fillCalendars(savedCalendars, calendar, false);
    const int alarm = std::clamp(state_.settings().celebrationAlarmMinute, 0, 24 * 60 - 1);
    alarmEdit_->setTime(QTime(alarm / 60, alarm % 60));
    booksOf_ = fieldsKey();
    if (server.isEmpty()) return;
    openedKey_ = passwordKey(user, server);
    secrets_.read(openedKey_, [self = QPointer(this)](std::optional<QString> password, bool answered) {
        if (!self || self->closed_) return;
        self->storeAnswered_ = answered;
        self->sessionNote_->setVisible(!answered);
        self->growToFit();
        // What the user typed meanwhile stays.
        if (password && self->passwordEdit_->text().isEmpty()) self->passwordEdit_->setText(*password);
    });
}

void AccountDialog::done(int result) {
    closed_ = true;
    QDialog::done(result);
}

DavCredentials AccountDialog::credentials() const {
    return {userEdit_->text().trimmed(), passwordEdit_->text()};
}

QUrl AccountDialog::checkedServer() {
    const QString text = serverEdit_->text().trimmed();
    if (text.isEmpty()) {
        dialogs_.warning(QStringLiteral("Adja meg a kiszolgáló címét!"));
        return {};
    }
    const QString server = normalizedServer(text);
    if (server.isEmpty()) {
        dialogs_.warning(QStringLiteral("A kiszolgáló címe nem érvényes: ") + text);
        return {};
    }
    if (userEdit_->text().trimmed().isEmpty()) {
        dialogs_.warning(QStringLiteral("Adja meg a felhasználónevet!"));
        return {};
    }
    return QUrl(server);
}

QString AccountDialog::fieldsKey() const {
    return normalizedServer(serverEdit_->text()) + u'\n' + userEdit_->text().trimmed();
}

void AccountDialog::forgetCollections() {
    if (fieldsKey() == booksOf_) return;
    home_.clear();
    fillBooks({}, {});
    calendarHome_.clear();
    canCreateCalendar_ = true;
    noCalendarNote_->hide();
    fillCalendars({}, {}, newCalendarChosen());
}

void AccountDialog::fillBooks(const std::vector<AddressBookInfo>& books, const QString& preferredUrl) {
    books_ = books;
    bookChoice_->clear();
    for (const AddressBookInfo& b : books)
        bookChoice_->addItem(b.name.isEmpty() ? b.url.toString() : b.name, b.url.toString());
    const auto named = std::find_if(books.begin(), books.end(),
                                    [](const AddressBookInfo& b) { return b.name == newBookName(); });
    if (named == books.end())
        bookChoice_->addItem(QStringLiteral("Új címjegyzék: ") + newBookName(), QString());
    // The book chosen before, else one of ours, else the first the server listed.
    int index = preferredUrl.isEmpty() ? -1 : bookChoice_->findData(preferredUrl);
    if (index < 0 && named != books.end()) index = static_cast<int>(named - books.begin());
    bookChoice_->setCurrentIndex(std::max(index, 0));
}

void AccountDialog::fillCalendars(const std::vector<CalendarInfo>& calendars, const QString& preferredUrl,
                                  bool preferNew) {
    calendars_ = calendars;
    calendarChoice_->clear();
    calendarChoice_->addItem(kNoCalendar);
    for (const CalendarInfo& c : calendars)
        calendarChoice_->addItem(c.name.isEmpty() ? c.url.toString() : c.name, c.url.toString());
    const auto named = std::find_if(calendars.begin(), calendars.end(),
                                    [](const CalendarInfo& c) { return c.name == newCalendarName(); });
    if (canCreateCalendar_ && named == calendars.end())
        calendarChoice_->addItem(QStringLiteral("Új naptár: ") + newCalendarName());
    // The calendar chosen before, else ours when that was the wish, else none: a calendar of the
    // user's own is never taken over unasked.
    int index = 0;
    if (!preferredUrl.isEmpty())
        index = std::max(calendarChoice_->findData(preferredUrl), 0);
    else if (preferNew && named != calendars.end())
        index = 1 + static_cast<int>(named - calendars.begin());
    else if (preferNew && canCreateCalendar_)
        index = calendarChoice_->count() - 1;
    calendarChoice_->setCurrentIndex(index);
}

const CalendarInfo* AccountDialog::chosenCalendar() const {
    const int i = calendarChoice_->currentIndex() - 1;
    return i >= 0 && i < static_cast<int>(calendars_.size()) ? &calendars_[static_cast<std::size_t>(i)]
                                                             : nullptr;
}

bool AccountDialog::newCalendarChosen() const {
    return canCreateCalendar_ && calendarChoice_->currentIndex() == static_cast<int>(calendars_.size()) + 1;
}

void AccountDialog::discover(const QUrl& server, std::function<void()> then) {
    setBusy(true);
    discovery_.discover(server, credentials(),
                        [self = QPointer(this), server, then = std::move(then)](
                            std::vector<AddressBookInfo> books, QUrl home, DavError error) {
                            if (!self || self->closed_) return;
                            self->setBusy(false);
                            if (error) {
                                self->showError(error, server);
                                return;
                            }
                            self->home_ = home;
                            self->booksOf_ = self->fieldsKey();
                            self->fillBooks(books, self->bookChoice_->currentData().toString());
                            then();
                        });
}

void AccountDialog::discoverCalendars(const QUrl& server, std::function<void()> then) {
    const bool wantedNew = newCalendarChosen();
    const QString wanted = chosenCalendar() ? chosenCalendar()->url.toString() : QString();
    setBusy(true);
    discovery_.discoverCalendars(
        server, credentials(),
        [self = QPointer(this), server, wanted, wantedNew,
         then = std::move(then)](std::vector<CalendarInfo> calendars, QUrl home, DavError error) {
            if (!self || self->closed_) return;
            self->setBusy(false);
            self->calendarHome_ = error ? QUrl() : home;
            self->canCreateCalendar_ = !error && !home.isEmpty();
            self->noCalendarNote_->setVisible(bool(error));
            self->growToFit();
            // Why, for whoever wants to know; the address book is not held up by it.
            self->noCalendarNote_->setToolTip(error ? davErrorText(error, server.host()) : QString());
            self->fillCalendars(error ? std::vector<CalendarInfo>{} : calendars, wanted, wantedNew);
            then();
        });
}

void AccountDialog::search() {
    const QUrl server = checkedServer();
    if (server.isEmpty()) return;
    discover(server, [this, server] {
        discoverCalendars(server, [this] {
            if (books_.empty()) dialogs_.information(kNoBooks);
        });
    });
}

void AccountDialog::onSaveClicked() {
    if (serverEdit_->text().trimmed().isEmpty() && userEdit_->text().trimmed().isEmpty()) {
        // No server and no user: no account, and no password kept for the one there was.
        if (!openedKey_.isEmpty()) secrets_.remove(openedKey_);
        finish(SyncAccount{});
        return;
    }
    const QUrl server = checkedServer();
    if (server.isEmpty()) return;
    // The home sets the new book and calendar go into, unless known; nothing is created before both
    // are. A book already chosen is not looked for again, so the choice cannot change under the user.
    const bool findHome = bookChoice_->currentData().toString().isEmpty() && home_.isEmpty();
    const bool findCalendarHome = newCalendarChosen() && calendarHome_.isEmpty();
    auto create = [this, server] { createThenSave(server); };
    auto calendarsThenCreate = [this, server, findCalendarHome, create] {
        if (!findCalendarHome) return create();
        discoverCalendars(server, [this, create] {
            // The server offers no calendar after all: the choice and its line say so, and the user
            // decides again.
            if (calendarChoice_->currentIndex() == 0) return;
            create();
        });
    };
    if (findHome)
        discover(server, calendarsThenCreate);
    else
        calendarsThenCreate();
}

void AccountDialog::createThenSave(const QUrl& server) {
    if (bookChoice_->currentData().toString().isEmpty()) {
        setBusy(true);
        discovery_.create(home_, credentials(), newBookName(),
                          [self = QPointer(this), server](AddressBookInfo book, DavError error) {
                              if (!self || self->closed_) return;
                              self->setBusy(false);
                              if (error) {
                                  self->showError(error, server);
                                  return;
                              }
                              std::vector<AddressBookInfo> books = self->books_;
                              books.push_back(book);
                              self->fillBooks(books, book.url.toString());
                              self->createThenSave(server);
                          });
        return;
    }
    if (newCalendarChosen()) {
        setBusy(true);
        discovery_.createCalendar(calendarHome_, credentials(), newCalendarName(),
                                  [self = QPointer(this), server](CalendarInfo calendar, DavError error) {
                                      if (!self || self->closed_) return;
                                      self->setBusy(false);
                                      if (error) {
                                          self->showError(error, server);
                                          return;
                                      }
                                      std::vector<CalendarInfo> calendars = self->calendars_;
                                      calendars.push_back(calendar);
                                      self->fillCalendars(calendars, calendar.url.toString(), false);
                                      self->storePasswordThenSave();
                                  });
        return;
    }
    storePasswordThenSave();
}

void AccountDialog::storePasswordThenSave() {
    const QString serverText = normalizedServer(serverEdit_->text());
    const DavCredentials c = credentials();
    SyncAccount account;
    account.server = serverText.toStdString();
    account.user = c.user.toStdString();
    account.addressBook = bookChoice_->currentData().toString().toStdString();
    account.addressBookName =
        books_.at(static_cast<std::size_t>(bookChoice_->currentIndex())).name.toStdString();
    account.everyMinutes = intervalSpin_->value();
    if (const CalendarInfo* calendar = chosenCalendar()) {
        account.calendar = calendar->url.toString().toStdString();
        account.calendarName = calendar->name.toStdString();
    }
    const QString key = passwordKey(c.user, serverText);
    if (!openedKey_.isEmpty() && openedKey_ != key) secrets_.remove(openedKey_);
    if (c.password.isEmpty()) {
        finish(account);
        return;
    }
    setBusy(true);
    secrets_.write(key, c.password, [self = QPointer(this), account](bool stored) {
        if (!self || self->closed_) return;
        self->setBusy(false);
        if (!stored) {
            // Said once: in a box when the store answered at the start, else the line already says it.
            if (self->storeAnswered_) self->dialogs_.information(kSessionNote);
            self->storeAnswered_ = false;
            self->sessionNote_->show();
        }
        self->finish(account);
    });
}

void AccountDialog::finish(const SyncAccount& account) {
    if (!guarded(dialogs_, [&] { saveAccount(account); })) return;
    emit accountSaved();
    accept();
}

void AccountDialog::saveAccount(const SyncAccount& account) {
    Settings s = state_.settings();
    const Settings before = s;
    s.account = account;
    const QTime alarm = alarmEdit_->time();
    s.celebrationAlarmMinute = alarm.hour() * 60 + alarm.minute();
    state_.setSettings(s);
    try {
        state_.saveSettings();
    } catch (...) {
        // Unsaved, the account would sync this run and be gone at the next.
        state_.setSettings(before);
        throw;
    }
}

void AccountDialog::growToFit() {
    // A line shown after the dialog is up does not grow it by itself: the window's minimum height leaves
    // out what word-wrapped notes need at its width, so they would be squeezed over each other.
    layout()->activate();
    const int needed = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width())
                                                     : layout()->totalSizeHint().height();
    if (height() < needed) resize(width(), needed);
}

void AccountDialog::setBusy(bool busy) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             serverEdit_, userEdit_, passwordEdit_, bookChoice_, searchButton_, calendarChoice_, alarmEdit_,
             intervalSpin_, buttons_->button(QDialogButtonBox::Save)})
        w->setEnabled(!busy);
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void AccountDialog::showError(const DavError& error, const QUrl& server) {
    dialogs_.error(davErrorText(error, server.host()));
}

} // namespace zel::gui
