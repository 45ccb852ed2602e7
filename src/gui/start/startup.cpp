#include "gui/start/startup.h"

#include "core/namedays/namedays.h"
#include "gui/platform/instance_guard.h"
#include "gui/platform/tray.h"
#include "gui/state/app_state.h"
#include "gui/text/error_box.h"
#include "gui/text/qt_text.h"
#include "gui/text/texts.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>
#include <cerrno>
#include <utility>

namespace zel::gui {

namespace {

// Why the write failed, in the user's words.
QString writeFailureReason(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("nincs elég szabad hely a lemezen.");
    case EFBIG:
        return QStringLiteral("a rendszer korlátozza az írható állományok méretét, így a program nem tud "
                              "írni.");
    case EACCES:
    case EPERM:
        return QStringLiteral("a jelenlegi felhasználónak nincs írási jogosultsága a mappára.");
    case EROFS:
        return QStringLiteral("a mappa csak olvasható lemezen (köteten) van.");
    case ENOTDIR:
        return QStringLiteral("a mappa elérési útjában egy mappa helyén állomány áll.");
    case EISDIR:
    case EEXIST:
        return QStringLiteral("egy állomány helyén mappa vagy más bejegyzés áll.");
    case ENOENT:
        return QStringLiteral("a mappa nem létezik.");
    default:
        return QStringLiteral("az írás nem sikerült (I/O error %1).").arg(error);
    }
}

} // namespace

QString writeTestMessage(const QString& folder, int error) {
    return QStringLiteral("A Zelmoran-nak -az aktuális felhasználónévvel- nincs írási jogosultsága a "
                          "munkakönyvtárra, vagy nincs elegendő szabad lemezterület a program által "
                          "létrehozandó állományok számára.") +
           kNl + QStringLiteral("A hiba oka: ") + writeFailureReason(error) + kNl + kNl +
           QStringLiteral("Javasolt teendők:") + kNl +
           QStringLiteral(" - Szüntesse meg az írásvédettséget a munkakönyvtáron: (") + folder +
           QStringLiteral(")") + kNl +
           QStringLiteral(" - Ellenőrizze, hogy van-e elég szabad terület a merevlemezén (~2 MB).") + kNl +
           kNl +
           QStringLiteral("Írási jogot és további segítséget az Ön Windows rendszerének karbantartójától "
                          "kaphat.") +
           kNl + kNl +
           QStringLiteral("Tekintettel arra, hogy jelen helyzetben a program képtelen működni, befejezi "
                          "futását.") +
           kNl + QStringLiteral("A kellemetlenségért elnézését kérem.");
}

namespace {
std::filesystem::path perUserFolder() {
    return QString(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                   QStringLiteral("/Zelmoran"))
        .toStdString();
}
} // namespace

std::filesystem::path dataFolderFor(const std::filesystem::path& exeDir) {
    const AppPaths beside{exeDir};
    if (passesWriteTest(beside) || holdsData(beside)) return exeDir;
    const std::filesystem::path own = perUserFolder();
    std::error_code ec;
    std::filesystem::create_directories(own, ec);
    return !ec && passesWriteTest(AppPaths{own}) ? own : exeDir;
}

bool dataIsPerUser(const AppPaths& paths) {
    std::error_code ec;
    return std::filesystem::equivalent(paths.exeDir, perUserFolder(), ec);
}

QString folderText(const AppPaths& paths) {
    QString dir = QDir::toNativeSeparators(QString::fromStdString(paths.exeDir.string()));
    if (!dir.endsWith(QDir::separator())) dir += QDir::separator();
    return dir;
}

bool runWriteTest(const AppPaths& paths, Dialogs& dialogs) {
    const int error = writeTestError(paths);
    if (error == 0) return true;
    dialogs.message(Dialogs::Kind::Plain, QString::fromUtf8(kAppTitle),
                    writeTestMessage(folderText(paths), error), Dialogs::Ok);
    return false;
}

std::optional<int> meetRunningCopy(InstanceGuard& guard, Dialogs& dialogs, const QString& activationToken,
                                   int waitMs, bool listenNow) {
    if (guard.claim(listenNow)) return std::nullopt;
    if (guard.ask(InstanceRequest::Activate, waitMs, activationToken)) return 0;
    // The holder may have ended while it was waited for.
    if (guard.claim(listenNow)) return std::nullopt;
    dialogs.warning(notAnsweringMessage(guard.holder()));
    return 1;
}

QString notAnsweringMessage(std::optional<qint64> process) {
    const QString which = process ? QStringLiteral(" (folyamatazonosítója: %1)").arg(*process) : QString();
    return QStringLiteral("A Zelmoran már fut, de nem válaszol…") + kNl + kNl +
           QStringLiteral("Lehet, hogy éppen egy hosszabb műveletet végez: várjon egy kicsit, majd indítsa "
                          "el újra a programot.") +
           kNl +
           QStringLiteral("Ha ezután sem válaszol, a futó példány valószínűleg lefagyott vagy fel van "
                          "függesztve. Állítsa le") +
           which +
           QStringLiteral(", például a rendszerfigyelővel, majd indítsa el újra a programot. A "
                          "leállítással adat nem vész el, mert a program minden változást azonnal ment.");
}

QString dataInUseMessage() {
    return QStringLiteral("Az adatállományokat egy másik futó Zelmoran használja.");
}

std::optional<os::FileLock> lockDataFolder(const AppPaths& paths, Dialogs& dialogs) {
    std::optional<os::FileLock> lock;
    if (guarded(dialogs, [&] { lock = takeDataLock(paths); }) && !lock) dialogs.warning(dataInUseMessage());
    return lock;
}

namespace {
NameDayCalendar calendarFromResource(const QString& name) {
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) return NameDayCalendar::fromText("");
    return NameDayCalendar::fromText(utf8ToCp1250(f.readAll().toStdString()));
}
} // namespace

void loadBundledCalendars(AppState& state) {
    state.setCalendars(calendarFromResource(QStringLiteral(":/namedays/common.txt")),
                       calendarFromResource(QStringLiteral(":/namedays/extended.txt")));
}

void reportDamagedFiles(const AppState& state, Dialogs& dialogs) {
    const std::vector<AppState::DamagedFile> damaged = state.damagedFiles();
    if (damaged.empty()) return;
    QString text = QStringLiteral("A következő adatállományokban sérült bejegyzések vannak:") + kNl;
    for (const AppState::DamagedFile& f : damaged)
        text += QDir::toNativeSeparators(QString::fromStdString(f.path.string())) +
                QStringLiteral(" (%1 sérült bejegyzés)").arg(f.records) + kNl;
    text += kNl + QStringLiteral("A program a sérült bejegyzéseket a lehető legjobban olvassa be, "
                                 "az állományokat nem javítja ki.");
    dialogs.warning(text);
}

namespace {
// Waits for a widget's first paint.
class FirstFrame : public QObject {
  public:
    FirstFrame(QWidget& window, std::function<void()> work) : QObject(&window), work_(std::move(work)) {
        window.installEventFilter(this);
        QTimer::singleShot(1000, this, &FirstFrame::run);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        // Run once the paint and its flush are done, from the event loop.
        if (event->type() == QEvent::Paint) QTimer::singleShot(0, this, &FirstFrame::run);
        return false;
    }

  private:
    void run() {
        if (!work_) return;
        std::exchange(work_, nullptr)();
        deleteLater();
    }
    std::function<void()> work_;
};
} // namespace

void afterFirstFrame(QWidget& window, std::function<void()> work) {
    new FirstFrame(window, std::move(work));
}

void showStartBalloon(Tray& tray, const AppState& state, DayNumber today, bool startHidden) {
    const TodayTomorrowNames names = todayAndTomorrowNames(state.commonCalendar(), today);
    tray.showBalloon(QStringLiteral("Zelmoran v1.6 - Névnapemlékeztető:"),
                     QStringLiteral("Ma: ") + fromCp(names.today) + QStringLiteral("  |  Holnap: ") +
                         fromCp(names.tomorrow),
                     startHidden ? 10 : 3);
}

} // namespace zel::gui
