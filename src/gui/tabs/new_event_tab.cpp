#include "gui/tabs/new_event_tab.h"
#include "gui/widgets/widget_util.h"

#include "core/events/event_record.h"
#include "core/events/firing.h"
#include "gui/error_box.h"
#include "gui/main_window.h"
#include "gui/platform/shell.h"
#include "gui/qt_text.h"
#include "gui/state/app_state.h"
#include "gui/texts.h"
#include "gui/widgets/text_limit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>

namespace zel::gui {

namespace {

const QString kCaptionReminder = QStringLiteral(" A figyelmeztetés időpontja ");
const QString kCaptionProgram = QStringLiteral(" A futtatás kezdésének időpontja ");
const QString kCaptionNameDay = QStringLiteral(" Az első (megünnepelt) névnap dátuma ");
const QString kCaptionBirthday = QStringLiteral(" Az első (megünnepelt) születésnap dátuma ");

} // namespace

NewEventTab::NewEventTab(MainWindow& main, QWidget* parent) : QWidget(parent), main_(main) {
    setObjectName(QStringLiteral("pUjEsemeny"));
    build();
}

void NewEventTab::build() {
    auto* gJell =
        named(new QGroupBox(QStringLiteral(" Az esemény &jellegének kiválasztása "), this), "gUjEsJell");
    gJell->setGeometry(4, 2, 250, 46);
    cUjEsJell = named(new QComboBox(gJell), "cUjEsJell");
    cUjEsJell->addItems({QStringLiteral("Emlékeztető"), QStringLiteral("Programfuttatás"),
                         QStringLiteral("Névnap"), QStringLiteral("Születésnap")});
    cUjEsJell->setGeometry(8, 18, 234, 22);

    cUjAktiv = named(new QCheckBox(QStringLiteral("&Aktív"), this), "cUjAktiv");
    cUjAktiv->setChecked(true);
    cUjAktiv->setGeometry(266, 20, 80, 22);
    Panel2 = named(new QPushButton(QStringLiteral("Felvesz"), this), "Panel2");
    Panel2->setGeometry(370, 12, 112, 32);
    QFont bold = Panel2->font();
    bold.setBold(true);
    Panel2->setFont(bold);

    gUjEsFigy = named(new QGroupBox(kCaptionReminder, this), "gUjEsFigy");
    gUjEsFigy->setGeometry(4, 50, 478, 66);
    gUjEsNap = named(new QGroupBox(QStringLiteral(" &Nap "), gUjEsFigy), "gUjEsNap");
    gUjEsNap->setGeometry(6, 16, 340, 44);
    rUjEsMa = named(new QRadioButton(QStringLiteral("Ma"), gUjEsNap), "rUjEsMa");
    rUjEsMa->setGeometry(8, 18, 48, 20);
    rUjEsMa->setChecked(true);
    rUjEsHolnap = named(new QRadioButton(QStringLiteral("Holnap"), gUjEsNap), "rUjEsHolnap");
    rUjEsHolnap->setGeometry(60, 18, 72, 20);
    rUjEsEkkor = named(new QRadioButton(QStringLiteral("Ekkor:"), gUjEsNap), "rUjEsEkkor");
    rUjEsEkkor->setGeometry(136, 18, 66, 20);
    dUjEsNap = named(new QDateEdit(gUjEsNap), "dUjEsNap");
    dUjEsNap->setDisplayFormat(QStringLiteral("yyyy.MM.dd."));
    dUjEsNap->setCalendarPopup(true);
    dUjEsNap->setGeometry(204, 16, 128, 24);
    gUjEsOra = named(new QGroupBox(QStringLiteral(" Ó&ra "), gUjEsFigy), "gUjEsOra");
    gUjEsOra->setGeometry(352, 16, 120, 44);
    dUjEsOra = named(new QTimeEdit(gUjEsOra), "dUjEsOra");
    dUjEsOra->setDisplayFormat(QStringLiteral("HH:mm"));
    dUjEsOra->setGeometry(8, 16, 104, 24);

    // The three kinds of detail share one place below the time.
    const QRect detail(4, 118, 478, 128);
    gUjEsEm = named(new QGroupBox(QStringLiteral(" Új &emlékeztető "), this), "gUjEsEm");
    gUjEsEm->setGeometry(detail);
    mUjEsEm = named(new QPlainTextEdit(gUjEsEm), "mUjEsEm");
    mUjEsEm->setGeometry(8, 18, detail.width() - 16, detail.height() - 26);
    mUjEsEm->setTabChangesFocus(true);
    limitStoredLength(mUjEsEm, kEventTextCapacity);

    gProgram = named(new QGroupBox(QStringLiteral(" Program indítása "), this), "gProgram");
    gProgram->setGeometry(detail);
    auto* lFile = new QLabel(QStringLiteral("Fájlnév:"), gProgram);
    lFile->setGeometry(8, 20, 60, 22);
    eProgram = named(new QLineEdit(gProgram), "eProgram");
    eProgram->setGeometry(70, 20, 300, 22);
    Panel24 = named(new QPushButton(QStringLiteral("Megnyit"), gProgram), "Panel24");
    Panel24->setGeometry(376, 19, 94, 24);
    auto* lParam = new QLabel(QStringLiteral("A programfájl opcionális paraméterei:"), gProgram);
    lParam->setGeometry(8, 46, 300, 18);
    eProgramParam = named(new QLineEdit(gProgram), "eProgramParam");
    eProgramParam->setGeometry(8, 64, 362, 22);
    Panel25 = named(new QPushButton(QStringLiteral("Teszt"), gProgram), "Panel25");
    Panel25->setGeometry(376, 63, 94, 24);
    Panel37 = named(new QPushButton(QStringLiteral("Több programot szeretnék egyszerrre futtatni"), gProgram),
                    "Panel37");
    Panel37->setGeometry(8, 94, 462, 24);
    Panel37->setFlat(true);
    Panel37->setCursor(Qt::PointingHandCursor);

    pUjEsKinek = named(new QGroupBox(QStringLiteral(" Partn&er kiválasztása "), this), "pUjEsKinek");
    pUjEsKinek->setGeometry(detail);
    rUjEsKinek = named(new QRadioButton(QStringLiteral("Meglévő:"), pUjEsKinek), "rUjEsKinek");
    rUjEsKinek->setGeometry(8, 24, 100, 22);
    rUjEsKinek->setChecked(true);
    cUjEsKinek = named(new QComboBox(pUjEsKinek), "cUjEsKinek");
    cUjEsKinek->setGeometry(110, 24, 360, 22);
    rUjEsKinekUj = named(new QRadioButton(QStringLiteral("Új személy:"), pUjEsKinek), "rUjEsKinekUj");
    rUjEsKinekUj->setGeometry(8, 60, 100, 22);
    eUjEsKinekUj = named(new QLineEdit(pUjEsKinek), "eUjEsKinekUj");
    eUjEsKinekUj->setGeometry(110, 60, 260, 22);
    Panel34 = named(new QPushButton(QStringLiteral("Felvesz"), pUjEsKinek), "Panel34");
    Panel34->setGeometry(376, 59, 94, 24);

    cUjEsIsm = named(new QComboBox(this), "cUjEsIsm");
    cUjEsIsm->addItems({QStringLiteral("Soha"), QStringLiteral("Naponta"), QStringLiteral("Hetente"),
                        QStringLiteral("Havonta"), QStringLiteral("Évente")});
    cUjEsIsm->hide();
    cUjEsIsm->setEnabled(false);

    connect(cUjEsJell, &QComboBox::activated, this,
            [this] { guarded(main_.dialogs(), [this] { cUjEsJellChange(); }); });
    connect(Panel2, &QPushButton::clicked, this,
            [this] { guarded(main_.dialogs(), [this] { Panel2Click(); }); });
    connect(Panel24, &QPushButton::clicked, this, &NewEventTab::Panel24Click);
    connect(Panel25, &QPushButton::clicked, this, &NewEventTab::Panel25Click);
    connect(Panel37, &QPushButton::clicked, this, &NewEventTab::Panel37Click);
    connect(Panel34, &QPushButton::clicked, this, &NewEventTab::Panel31Click);
    connect(rUjEsMa, &QRadioButton::clicked, this,
            [this] { setPickedDate(qdateOf(main_.clock().now().day)); });
    connect(rUjEsHolnap, &QRadioButton::clicked, this,
            [this] { setPickedDate(qdateOf(main_.clock().now().day + 1)); });
    connect(rUjEsEkkor, &QRadioButton::clicked, this, [this] { dUjEsNap->setFocus(); });
    connect(dUjEsNap, &QDateEdit::dateChanged, this, [this] {
        if (!settingDate_) rUjEsEkkor->setChecked(true);
    });
    connect(cUjEsKinek, &QComboBox::activated, this, [this] { rUjEsKinek->setChecked(true); });
    connect(rUjEsKinekUj, &QRadioButton::clicked, this, [this] { eUjEsKinekUj->setFocus(); });
    connect(eUjEsKinekUj, &QLineEdit::textEdited, this, [this] { rUjEsKinekUj->setChecked(true); });
    for (QWidget* w : {static_cast<QWidget*>(eUjEsKinekUj), static_cast<QWidget*>(eProgram),
                       static_cast<QWidget*>(eProgramParam), static_cast<QWidget*>(dUjEsNap)})
        w->installEventFilter(this);

    setPickedDate(qdateOf(main_.clock().now().day));
    setTimeToNow();
    cUjEsJellChange();
}

bool NewEventTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (enter && watched == eUjEsKinekUj) return Panel31Click(), true;
        if (enter && watched == eProgram) return Panel24Click(), true;
        if (enter && watched == eProgramParam) return Panel25Click(), true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == dUjEsNap) rUjEsEkkor->setChecked(true);
        if (watched == eUjEsKinekUj) rUjEsKinekUj->setChecked(true);
    }
    return QWidget::eventFilter(watched, event);
}

void NewEventTab::setPickedDate(const QDate& date) {
    settingDate_ = true;
    dUjEsNap->setDate(date);
    settingDate_ = false;
}

void NewEventTab::setTimeToNow() {
    const Moment now = main_.clock().now();
    dUjEsOra->setTime(QTime(now.hour(), now.minute(), now.second()));
}

void NewEventTab::pLapokChange() {
    setPickedDate(qdateOf(main_.clock().now().day));
    cUjEsJellChange();
    if (rUjEsMa->isChecked())
        setPickedDate(qdateOf(main_.clock().now().day));
    else if (rUjEsHolnap->isChecked())
        setPickedDate(qdateOf(main_.clock().now().day + 1));
    else
        dUjEsNap->setFocus();
    reloadPartners();
    setTimeToNow();
}

void NewEventTab::reloadPartners() {
    QStringList names;
    names.reserve(static_cast<qsizetype>(main_.partnerNames().size()));
    for (const auto& name : main_.partnerNames())
        names << fromCp(name);
    cUjEsKinek->clear();
    cUjEsKinek->addItems(names);
    if (cUjEsKinek->count() > 0) cUjEsKinek->setCurrentIndex(0);
}

void NewEventTab::selectKind(int kind) {
    cUjEsJell->setCurrentIndex(kind);
    cUjEsJellChange();
}

void NewEventTab::cUjEsJellChange() {
    gUjEsFigy->setTitle(kCaptionReminder);
    cUjEsIsm->setCurrentIndex(0);
    setTimeToNow();
    const int kind = cUjEsJell->currentIndex();
    if (kind == NameDay || kind == Birthday) {
        if (main_.partnerNames().empty()) {
            cUjEsJell->setCurrentIndex(Reminder);
            cUjEsJellChange();
            if (main_.settings().warnings)
                main_.dialogs().information(QStringLiteral(
                    "Nincs partnere felvéve! Név-, illetve születésnapot csak partnereknek állíthat be!"));
            return;
        }
        gUjEsFigy->setTitle(kind == NameDay ? kCaptionNameDay : kCaptionBirthday);
        pUjEsKinek->show();
        gProgram->hide();
        gUjEsEm->hide();
        gUjEsOra->hide();
        cUjEsIsm->setCurrentIndex(4);
        cUjEsIsm->setEnabled(false);
        cUjEsKinek->setFocus();
        const int at = cUjEsKinek->findText(fromCp(main_.lastSavedPartner()), Qt::MatchExactly);
        cUjEsKinek->setCurrentIndex(at >= 0 ? at : (cUjEsKinek->count() > 0 ? 0 : -1));
        return;
    }
    if (kind == Program) gUjEsFigy->setTitle(kCaptionProgram);
    gUjEsOra->show();
    pUjEsKinek->hide();
    gUjEsEm->setVisible(kind == Reminder);
    gProgram->setVisible(kind == Program);
    (kind == Reminder ? static_cast<QWidget*>(mUjEsEm) : eProgram)->setFocus();
}

void NewEventTab::Panel2Click() {
    const int kind = cUjEsJell->currentIndex();
    const DayNumber day = dayOf(dUjEsNap->date());
    const int minute = dUjEsOra->time().hour() * 60 + dUjEsOra->time().minute();
    EventRecord rec;
    rec.active = cUjAktiv->isChecked();
    rec.date = static_cast<double>(day);

    if (kind == Reminder || kind == Program) {
        const bool reminder = kind == Reminder;
        const QString text = reminder ? mUjEsEm->toPlainText() : eProgram->text();
        if (text.isEmpty()) return;
        const EventKind k = reminder ? EventKind::Reminder : EventKind::Program;
        if (main_.state().minuteTaken(k, day, minute)) {
            main_.dialogs().information(minuteTakenMessage(reminder));
            return;
        }
        rec.recurrence = static_cast<std::uint8_t>(cUjEsIsm->currentIndex());
        rec.time = storedFromMinute(minute);
        rec.text =
            reminder ? toStored(text) : toCp(eProgram->text() + QLatin1Char(' ') + eProgramParam->text());
        main_.state().addEvent(k, rec);
        if (reminder) {
            mUjEsEm->clear();
        } else {
            eProgram->clear();
            eProgramParam->clear();
        }
    } else {
        const EventKind k = kind == NameDay ? EventKind::NameDay : EventKind::Birthday;
        rec.text = toCp(cUjEsKinek->currentText());
        main_.state().addEvent(k, rec);
    }
    main_.showSummaryFirstLine();
}

void NewEventTab::Panel24Click() {
    const QString file = main_.dialogs().openFile(QString(), main_.exeFolder(), programFileFilter());
    if (!file.isEmpty()) eProgram->setText(file);
}

void NewEventTab::Panel25Click() {
    if (!eProgram->text().isEmpty()) main_.shell().Elindit(eProgram->text(), eProgramParam->text());
}

void NewEventTab::Panel37Click() {
    main_.dialogs().information(
        QStringLiteral("Hogyan tudunk egy idően egyszerre több alkalmazást elindítani?") + kNl + kNl +
        QStringLiteral("1. Nyisson meg egy egyszerű szövegszerkesztőt (például a Jegyzettömböt).") + kNl +
        QStringLiteral("2. Minden elindítandó programnak írjon egy külön sort: a start szó után, "
                       "idézőjelek között a program teljes elérési útját.") +
        kNl + QStringLiteral("3. Mentse el a fájlt run.bat néven, például a Zelmoran mappájába.") + kNl +
        QStringLiteral("4. Az új programfuttatásnál ezt a run.bat fájlt adja meg futtatandó programként.") +
        kNl + kNl + QStringLiteral("Példa, a run.bat tartalma:") + kNl +
        QStringLiteral("start \"\" \"C:\\Program Files\\Mozilla Firefox\\firefox.exe\"") + kNl +
        QStringLiteral("start \"\" \"C:\\Windows\\notepad.exe\"") + kNl + kNl +
        QStringLiteral("Linuxon ugyanez egy futtatható .sh fájllal megy, soronként egy programmal, "
                       "mindegyik sor végén egy & jellel."));
}

void NewEventTab::Panel31Click() {
    if (eUjEsKinekUj->text().isEmpty()) return;
    main_.startNewPartner(QLatin1Char(' ') + eUjEsKinekUj->text());
}

} // namespace zel::gui
