#include "gui/sync/sync_controller.h"

#include "core/text/datetime.h"
#include "gui/platform/dialogs.h"
#include "gui/state/app_state.h"
#include "gui/sync/dav_error_text.h"
#include "gui/sync/sync_report_window.h"
#include "gui/text/error_box.h"

#include <QTimer>
#include <QWidget>

namespace zel::gui {

namespace {

// Soon after the window is up, so the first frame does not wait for it.
constexpr int kFirstRunDelayMs = 2000;

const char16_t* const kCaption = u"Szinkronizálás";

QString hostOf(const SyncAccount& account) {
    const QUrl url(QString::fromStdString(account.server));
    return url.host().isEmpty() ? QString::fromStdString(account.server) : url.host();
}

QString timeOf(Moment m) {
    return QString::fromStdString(timeText(m.hour() * 60 + m.minute()));
}

// A run by itself stops at a failure only the user can mend, so it does not repeat its box.
bool needsTheUser(const SyncFailure& failure) {
    using Kind = SyncFailure::Kind;
    if (failure.kind != Kind::Network) return true;
    return failure.network.kind == DavError::Kind::Unauthorized ||
           failure.network.kind == DavError::Kind::Certificate;
}

} // namespace

QString syncFailureText(const SyncFailure& failure, const QString& server) {
    using Kind = SyncFailure::Kind;
    switch (failure.kind) {
    case Kind::None:
    case Kind::LocalWrite:
        break;
    case Kind::Network:
        return davErrorText(failure.network, server);
    case Kind::MapDamaged:
        return QStringLiteral("A szinkronizálás nyilvántartása (Data/szinkron-cimjegyzek.txt) a(z) %1. "
                              "sorában sérült, ezért a program nem szinkronizál belőle.\n\nHa törli ezt "
                              "az állományt, a következő szinkronizálás név szerint újra összepárosítja a "
                              "partnereket a névjegyekkel.")
            .arg(failure.mapLine);
    case Kind::DeletionsRefused:
        return QStringLiteral("A szinkronizálás nem törölt %1 partnert, ezért leállt; semmi sem változott.")
            .arg(failure.deletions);
    }
    return {};
}

QString calendarFailureText(const SyncFailure& failure, const QString& server) {
    if (failure.kind == SyncFailure::Kind::MapDamaged)
        return QStringLiteral("A naptár nyilvántartása (Data/szinkron-naptar.txt) a(z) %1. sorában sérült, "
                              "ezért a program nem frissíti belőle a naptárat.\n\nHa törli ezt az "
                              "állományt, a következő szinkronizálás újra a naptárba teszi a dátumokat.")
            .arg(failure.mapLine);
    if (failure.io) {
        QString cause = ioErrorCause(failure.io->code());
        if (cause.isEmpty()) cause = QString::fromStdString(failure.io->what());
        return QStringLiteral("%1\n%2").arg(cause, QString::fromStdString(failure.io->path()));
    }
    return syncFailureText(failure, server);
}

SyncController::SyncController(AppState& state, Dialogs& dialogs, Clock& clock, SecretStore& store,
                               QWidget* window, QObject* parent)
    : QObject(parent), state_(state), dialogs_(dialogs), clock_(clock), session_(store), window_(window),
      timer_(new QTimer(this)) {
    connect(timer_, &QTimer::timeout, this, &SyncController::syncAutomatically);
}

SyncController::~SyncController() {
    // A run broken off here has written each file whole; the next one goes on from the map.
    if (client_) client_->cancel();
    delete reportWindow_;
}

QString SyncController::successText(Moment moment) {
    return QStringLiteral("Utolsó sikeres szinkronizálás: %1 %2")
        .arg(QString::fromStdString(dateText(moment.day)), timeOf(moment));
}

AccountDialog::Discovery SyncController::discovery() {
    // One client per question: a question asked again replaces the one before.
    auto fresh = [this](const DavCredentials& credentials) {
        if (discoveryClient_) {
            discoveryClient_->cancel();
            discoveryClient_.release()->deleteLater();
        }
        discoveryClient_ = std::make_unique<DavClient>(credentials);
        return discoveryClient_.get();
    };
    AccountDialog::Discovery d;
    d.discover = [fresh](QUrl server, DavCredentials credentials, AccountDialog::Discovery::Found found) {
        fresh(credentials)->discover(server, std::move(found));
    };
    d.create = [fresh](QUrl home, DavCredentials credentials, QString name,
                       AccountDialog::Discovery::Created created) {
        fresh(credentials)->createAddressBook(home, name, std::move(created));
    };
    d.discoverCalendars = [fresh](QUrl server, DavCredentials credentials,
                                  AccountDialog::Discovery::CalendarsFound found) {
        fresh(credentials)->discoverCalendars(server, std::move(found));
    };
    d.createCalendar = [fresh](QUrl home, DavCredentials credentials, QString name,
                               AccountDialog::Discovery::CalendarCreated created) {
        fresh(credentials)->createCalendar(home, name, std::move(created));
    };
    return d;
}

void SyncController::startAutomatic() {
    showIdleStatus();
    restartTimer();
    if (state_.settings().account.configured() && state_.settings().account.everyMinutes > 0)
        QTimer::singleShot(kFirstRunDelayMs, this, &SyncController::syncAutomatically);
}

void SyncController::accountChanged() {
    held_ = false;
    passwordAsked_ = false;
    skippedShown_.clear();
    if (!running()) showIdleStatus();
    restartTimer();
}

void SyncController::restartTimer() {
    const int minutes = state_.settings().account.everyMinutes;
    if (minutes > 0 && state_.settings().account.configured())
        timer_->start(minutes * 60 * 1000);
    else
        timer_->stop();
}

void SyncController::syncNow() {
    run(Trigger::User);
}

void SyncController::syncAutomatically() {
    run(Trigger::Automatic);
}

void SyncController::run(Trigger trigger) {
    if (running()) return;
    const SyncAccount account = state_.settings().account;
    if (!account.configured()) {
        if (trigger == Trigger::User) emit accountSetupRequested();
        return;
    }
    if (trigger == Trigger::Automatic && held_) return;
    held_ = false;
    starting_ = true;
    const QString key =
        passwordKey(QString::fromStdString(account.user), QString::fromStdString(account.server));
    session_.read(key, [this, trigger, key, account](std::optional<QString> password, bool) {
        const bool typedNow = !password;
        if (!password) {
            // Asked once a run of the program; after a cancel only the user starts it again.
            if (trigger == Trigger::Automatic && passwordAsked_) {
                starting_ = false;
                held_ = true;
                return;
            }
            passwordAsked_ = true;
            password = dialogs_.password(
                QString::fromUtf16(kCaption),
                QStringLiteral("Adja meg a jelszót a szinkronizáláshoz.\n\nKiszolgáló: %1\nFelhasználó: %2")
                    .arg(QString::fromStdString(account.server), QString::fromStdString(account.user)));
            if (!password) {
                starting_ = false;
                held_ = true;
                setStatus(QStringLiteral("Jelszó nélkül a szinkronizálás nem indult el."));
                return;
            }
            session_.write(key, *password, [](bool) {});
        }
        typed_ = typedNow;
        starting_ = false;
        begin(trigger, *password);
    });
}

void SyncController::begin(Trigger trigger, const QString& password) {
    const SyncAccount account = state_.settings().account;
    // One client while the user and password hold: its connection and credentials serve every run.
    const DavCredentials credentials{QString::fromStdString(account.user), password};
    if (!client_ || clientUser_ != credentials.user || clientPassword_ != credentials.password) {
        if (client_) client_.release()->deleteLater();
        client_ = std::make_unique<DavClient>(credentials);
        clientUser_ = credentials.user;
        clientPassword_ = credentials.password;
    }
    sync_ = new AddressBookSync(state_, *client_, this);
    connect(sync_, &AddressBookSync::progress, this, &SyncController::progress);
    connect(sync_, &AddressBookSync::finished, this,
            [this, trigger](const SyncReport& report, const SyncFailure& failure) {
                addressBookDone(trigger, report, failure);
            });
    emit runningChanged(true);
    setStatus(QStringLiteral("Szinkronizálás…"));
    sync_->start(QUrl(QString::fromStdString(account.addressBook)),
                 [this](std::size_t deletions, std::size_t partners) {
                     return dialogs_.confirmation(
                                QStringLiteral("A szinkronizálás %1 partnert törölne ezen a gépen vagy a "
                                               "kiszolgálón (összesen %2 partner van), mert a másik "
                                               "oldalon törölték őket.\n\nFolytatja a szinkronizálást?")
                                    .arg(deletions)
                                    .arg(partners),
                                Dialogs::Yes | Dialogs::No, Dialogs::No) == Dialogs::Yes;
                 });
}

void SyncController::addressBookDone(Trigger trigger, const SyncReport& report, const SyncFailure& failure) {
    // The run's objects answer from inside their own calls: they go once those return.
    sync_->deleteLater();
    sync_ = nullptr;
    const SyncAccount account = state_.settings().account;
    // A server that did not answer the address book will not answer the calendar either.
    if (account.calendar.empty() || failure.kind == SyncFailure::Kind::Network)
        return end(trigger, report, failure);
    calendarSync_ = new CalendarSync(state_, *client_, this);
    connect(calendarSync_, &CalendarSync::progress, this, &SyncController::progress);
    connect(calendarSync_, &CalendarSync::finished, this,
            [this, trigger, report, failure](const SyncReport::Calendar& calendar, const SyncFailure& why) {
                calendarSync_->deleteLater();
                calendarSync_ = nullptr;
                SyncReport whole = report;
                whole.calendar = calendar;
                if (why)
                    whole.calendar->failure =
                        calendarFailureText(why, hostOf(state_.settings().account)).toStdString();
                end(trigger, whole, failure);
            });
    calendarSync_->start(QUrl(QString::fromStdString(account.calendar)));
}

void SyncController::end(Trigger trigger, const SyncReport& report, const SyncFailure& failure) {
    const bool calendarFailed = report.calendar && !report.calendar->failure.empty();
    if (failure) {
        reportFailure(trigger, failure);
    } else if (calendarFailed) {
        // The partners are in step; the dates are not. The report says why, the line says when.
        setStatus(QStringLiteral("A naptár frissítése nem sikerült (%1).").arg(timeOf(clock_.now())) +
                      lastSuccessText(),
                  QString::fromStdString(report.calendar->failure));
        if (trigger == Trigger::User) showReport(trigger, report);
    } else {
        const Moment now = clock_.now();
        guarded(dialogs_, [&] { state_.recordSyncSuccess(now); });
        setStatus(successText(now));
        showReport(trigger, report);
    }
    emit runningChanged(false);
    emit finished();
}

void SyncController::reportFailure(Trigger trigger, const SyncFailure& failure) {
    const SyncAccount account = state_.settings().account;
    const QString text = syncFailureText(failure, hostOf(account));
    const QString line = QStringLiteral("Nem sikerült (%1).").arg(timeOf(clock_.now())) + lastSuccessText();
    setStatus(line, failure.io ? QString::fromStdString(failure.io->what()) : text);
    if (failure.kind == SyncFailure::Kind::DeletionsRefused) {
        held_ = true;
        return;
    }
    const bool mend = needsTheUser(failure);
    if (trigger == Trigger::Automatic && !mend) return; // tried again at the next turn
    if (mend) held_ = true;
    if (failure.io) {
        showErrorBox(dialogs_, *failure.io);
        return;
    }
    QString box = text;
    if (failure.network.kind == DavError::Kind::Unauthorized) {
        box += QStringLiteral("\n\nA jelszót a Beállítások fül „Szinkronizálás…” gombjával javíthatja.");
        // A password typed for this run was wrong: the next try asks again. One the store had is left
        // there for the account dialog to correct.
        if (typed_) {
            passwordAsked_ = false;
            session_.remove(
                passwordKey(QString::fromStdString(account.user), QString::fromStdString(account.server)));
        }
    }
    dialogs_.error(box);
}

void SyncController::showReport(Trigger trigger, const SyncReport& report) {
    if (trigger == Trigger::Automatic) {
        // By itself it shows only what the user must see: conflicts, kept records, newly skipped cards.
        QSet<QString> skipped;
        for (const auto& s : report.skipped)
            skipped.insert(QString::fromStdString(s.href));
        const bool newSkipped = !skipped.isEmpty() && skipped != skippedShown_;
        skippedShown_ = skipped;
        if (report.conflicts.empty() && report.kept.empty() && !newSkipped) return;
    }
    if (!reportWindow_) reportWindow_ = new SyncReportWindow(window_);
    reportWindow_->showReport(report);
    reportWindow_->show();
    reportWindow_->raise();
}

QString SyncController::lastSuccessText() const {
    const std::optional<Moment> last = state_.lastSyncSuccess();
    return last ? QStringLiteral(" Utolsó sikeres: %1 %2")
                      .arg(QString::fromStdString(dateText(last->day)), timeOf(*last))
                : QStringLiteral(" Még nem volt sikeres szinkronizálás.");
}

void SyncController::setStatus(const QString& text, const QString& tip) {
    status_ = text;
    tip_ = tip;
    emit statusChanged(status_, tip_);
}

void SyncController::showIdleStatus() {
    if (!state_.settings().account.configured()) return setStatus({});
    const std::optional<Moment> last = state_.lastSyncSuccess();
    setStatus(last ? successText(*last) : QStringLiteral("Még nem volt sikeres szinkronizálás."));
}

} // namespace zel::gui
