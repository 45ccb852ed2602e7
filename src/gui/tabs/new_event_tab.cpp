#include "gui/tabs/new_event_tab.h"

#include "gui/error_box.h"
#include "gui/platform/shell.h"
#include "gui/qt_text.h"
#include "gui/state/app_state.h"
#include "gui/texts.h"
#include "gui/widgets/text_limit.h"
#include "gui/widgets/widget_util.h"

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

NewEventTab::NewEventTab(AppState& state, Dialogs& dialogs, Shell& shell, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), shell_(shell) {
    setObjectName(QStringLiteral("newEventPage"));
    build();
}

void NewEventTab::build() {
    auto* kindGroup =
        named(new QGroupBox(QStringLiteral(" Az esemény &jellegének kiválasztása "), this), "kindGroup");
    kindGroup->setGeometry(4, 2, 250, 46);
    kindChoice_ = labelled(named(new QComboBox(kindGroup), "kindChoice"), kindGroup->title());
    kindChoice_->addItems({QStringLiteral("Emlékeztető"), QStringLiteral("Programfuttatás"),
                           QStringLiteral("Névnap"), QStringLiteral("Születésnap")});
    kindChoice_->setGeometry(8, 18, 234, 22);

    activeBox_ = named(new QCheckBox(QStringLiteral("&Aktív"), this), "activeBox");
    activeBox_->setChecked(true);
    activeBox_->setGeometry(266, 20, 80, 22);
    addButton_ = named(new QPushButton(QStringLiteral("Felvesz"), this), "addButton");
    addButton_->setGeometry(370, 12, 112, 32);
    QFont bold = addButton_->font();
    bold.setBold(true);
    addButton_->setFont(bold);

    timingGroup_ = named(new QGroupBox(kCaptionReminder, this), "timingGroup");
    timingGroup_->setGeometry(4, 50, 478, 66);
    auto* dayGroup = named(new QGroupBox(QStringLiteral(" &Nap "), timingGroup_), "dayGroup");
    dayGroup->setGeometry(6, 16, 340, 44);
    todayChoice_ = named(new QRadioButton(QStringLiteral("Ma"), dayGroup), "todayChoice");
    todayChoice_->setGeometry(8, 18, 48, 20);
    todayChoice_->setChecked(true);
    tomorrowChoice_ = named(new QRadioButton(QStringLiteral("Holnap"), dayGroup), "tomorrowChoice");
    tomorrowChoice_->setGeometry(60, 18, 72, 20);
    dateChoice_ = named(new QRadioButton(QStringLiteral("Ekkor:"), dayGroup), "dateChoice");
    dateChoice_->setGeometry(136, 18, 66, 20);
    datePicker_ = labelled(named(new QDateEdit(dayGroup), "datePicker"), QStringLiteral("Ekkor:"));
    datePicker_->setDisplayFormat(QStringLiteral("yyyy.MM.dd."));
    datePicker_->setCalendarPopup(true);
    datePicker_->setGeometry(204, 16, 128, 24);
    timeGroup_ = named(new QGroupBox(QStringLiteral(" Ó&ra "), timingGroup_), "timeGroup");
    timeGroup_->setGeometry(352, 16, 120, 44);
    timePicker_ = labelled(named(new QTimeEdit(timeGroup_), "timePicker"), QStringLiteral("Óra"));
    timePicker_->setDisplayFormat(QStringLiteral("HH:mm"));
    timePicker_->setGeometry(8, 16, 104, 24);

    // The three kinds of detail share one place below the time.
    const QRect detail(4, 118, 478, 128);
    reminderGroup_ = named(new QGroupBox(QStringLiteral(" Új &emlékeztető "), this), "reminderGroup");
    reminderGroup_->setGeometry(detail);
    reminderText_ =
        labelled(named(new QPlainTextEdit(reminderGroup_), "reminderText"), QStringLiteral("Új emlékeztető"));
    reminderText_->setGeometry(8, 18, detail.width() - 16, detail.height() - 26);
    reminderText_->setTabChangesFocus(true);
    limitStoredLength(reminderText_, kEventTextCapacity);

    programGroup_ = named(new QGroupBox(QStringLiteral(" Program indítása "), this), "programGroup");
    programGroup_->setGeometry(detail);
    auto* fileLabel = new QLabel(QStringLiteral("Fájlnév:"), programGroup_);
    fileLabel->setGeometry(8, 20, 60, 22);
    programFile_ = labelled(named(new QLineEdit(programGroup_), "programFile"), fileLabel->text());
    programFile_->setGeometry(70, 20, 300, 22);
    auto* browseButton = named(new QPushButton(QStringLiteral("Megnyit"), programGroup_), "browseButton");
    browseButton->setGeometry(376, 19, 94, 24);
    auto* parametersLabel =
        new QLabel(QStringLiteral("A programfájl opcionális paraméterei:"), programGroup_);
    parametersLabel->setGeometry(8, 46, 300, 18);
    programParameters_ =
        labelled(named(new QLineEdit(programGroup_), "programParameters"), parametersLabel->text());
    programParameters_->setGeometry(8, 64, 362, 22);
    auto* testButton = named(new QPushButton(QStringLiteral("Teszt"), programGroup_), "testButton");
    testButton->setGeometry(376, 63, 94, 24);
    auto* severalButton =
        named(new QPushButton(QStringLiteral("Több programot szeretnék egyszerrre futtatni"), programGroup_),
              "severalProgramsButton");
    severalButton->setGeometry(8, 94, 462, 24);
    severalButton->setFlat(true);
    severalButton->setCursor(Qt::PointingHandCursor);

    partnerGroup_ = named(new QGroupBox(QStringLiteral(" Partn&er kiválasztása "), this), "partnerGroup");
    partnerGroup_->setGeometry(detail);
    existingPartnerChoice_ =
        named(new QRadioButton(QStringLiteral("Meglévő:"), partnerGroup_), "existingPartnerChoice");
    existingPartnerChoice_->setGeometry(8, 24, 100, 22);
    existingPartnerChoice_->setChecked(true);
    partnerChoice_ =
        labelled(named(new QComboBox(partnerGroup_), "partnerChoice"), QStringLiteral("Meglévő:"));
    partnerChoice_->setGeometry(110, 24, 360, 22);
    newPartnerChoice_ =
        named(new QRadioButton(QStringLiteral("Új személy:"), partnerGroup_), "newPartnerChoice");
    newPartnerChoice_->setGeometry(8, 60, 100, 22);
    newPartnerName_ =
        labelled(named(new QLineEdit(partnerGroup_), "newPartnerName"), QStringLiteral("Új személy:"));
    newPartnerName_->setGeometry(110, 60, 260, 22);
    auto* newPartnerButton =
        named(new QPushButton(QStringLiteral("Felvesz"), partnerGroup_), "newPartnerButton");
    newPartnerButton->setGeometry(376, 59, 94, 24);

    // The recurrence is stored with every event but never offered: it drives nothing.
    recurrenceChoice_ = named(new QComboBox(this), "recurrenceChoice");
    recurrenceChoice_->addItems({QStringLiteral("Soha"), QStringLiteral("Naponta"), QStringLiteral("Hetente"),
                                 QStringLiteral("Havonta"), QStringLiteral("Évente")});
    recurrenceChoice_->hide();
    recurrenceChoice_->setEnabled(false);

    connect(kindChoice_, &QComboBox::activated, this,
            [this] { guarded(dialogs_, [this] { onKindChanged(); }); });
    connect(addButton_, &QPushButton::clicked, this, [this] { guarded(dialogs_, [this] { addEvent(); }); });
    connect(browseButton, &QPushButton::clicked, this, &NewEventTab::chooseProgramFile);
    connect(testButton, &QPushButton::clicked, this, &NewEventTab::testProgram);
    connect(severalButton, &QPushButton::clicked, this, &NewEventTab::explainSeveralPrograms);
    connect(newPartnerButton, &QPushButton::clicked, this, &NewEventTab::requestNewPartner);
    connect(todayChoice_, &QRadioButton::clicked, this, [this] { setPickedDate(qdateOf(state_.now().day)); });
    connect(tomorrowChoice_, &QRadioButton::clicked, this,
            [this] { setPickedDate(qdateOf(state_.now().day + 1)); });
    connect(dateChoice_, &QRadioButton::clicked, this, [this] { datePicker_->setFocus(); });
    // A date picked by hand is a date of its own.
    connect(datePicker_, &QDateEdit::dateChanged, this, [this] {
        if (!settingDate_) dateChoice_->setChecked(true);
    });
    connect(partnerChoice_, &QComboBox::activated, this,
            [this] { existingPartnerChoice_->setChecked(true); });
    connect(newPartnerChoice_, &QRadioButton::clicked, this, [this] { newPartnerName_->setFocus(); });
    connect(newPartnerName_, &QLineEdit::textEdited, this, [this] { newPartnerChoice_->setChecked(true); });
    for (QWidget* w :
         std::initializer_list<QWidget*>{newPartnerName_, programFile_, programParameters_, datePicker_})
        w->installEventFilter(this);

    setPickedDate(qdateOf(state_.now().day));
    setTimeToNow();
    onKindChanged();
}

bool NewEventTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        // Enter in a field runs the button beside it.
        if (enter && watched == newPartnerName_) return requestNewPartner(), true;
        if (enter && watched == programFile_) return chooseProgramFile(), true;
        if (enter && watched == programParameters_) return testProgram(), true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == datePicker_) dateChoice_->setChecked(true);
        if (watched == newPartnerName_) newPartnerChoice_->setChecked(true);
    }
    return QWidget::eventFilter(watched, event);
}

void NewEventTab::setPickedDate(const QDate& date) {
    settingDate_ = true;
    datePicker_->setDate(date);
    settingDate_ = false;
}

void NewEventTab::setTimeToNow() {
    const Moment now = state_.now();
    timePicker_->setTime(QTime(now.hour(), now.minute(), now.second()));
}

EventKind NewEventTab::chosenKind() const {
    return kAllEventKinds[static_cast<std::size_t>(std::max(0, kindChoice_->currentIndex()))];
}

void NewEventTab::onShown() {
    setPickedDate(qdateOf(state_.now().day));
    onKindChanged();
    if (todayChoice_->isChecked())
        setPickedDate(qdateOf(state_.now().day));
    else if (tomorrowChoice_->isChecked())
        setPickedDate(qdateOf(state_.now().day + 1));
    else
        datePicker_->setFocus();
    reloadPartners();
    setTimeToNow();
}

void NewEventTab::reloadPartners() {
    QStringList names;
    names.reserve(static_cast<qsizetype>(state_.partnerNames().size()));
    for (const auto& name : state_.partnerNames())
        names << fromCp(name);
    partnerChoice_->clear();
    partnerChoice_->addItems(names);
    if (partnerChoice_->count() > 0) partnerChoice_->setCurrentIndex(0);
}

void NewEventTab::selectKind(EventKind kind) {
    kindChoice_->setCurrentIndex(static_cast<int>(kindIndex(kind)));
    onKindChanged();
}

void NewEventTab::onKindChanged() {
    timingGroup_->setTitle(kCaptionReminder);
    recurrenceChoice_->setCurrentIndex(0);
    setTimeToNow();
    const EventKind kind = chosenKind();
    if (!hasTime(kind)) {
        if (state_.partnerNames().empty()) {
            selectKind(EventKind::Reminder);
            if (state_.settings().warnings)
                dialogs_.information(QStringLiteral(
                    "Nincs partnere felvéve! Név-, illetve születésnapot csak partnereknek állíthat be!"));
            return;
        }
        timingGroup_->setTitle(kind == EventKind::NameDay ? kCaptionNameDay : kCaptionBirthday);
        partnerGroup_->show();
        programGroup_->hide();
        reminderGroup_->hide();
        timeGroup_->hide();
        recurrenceChoice_->setCurrentIndex(4);
        recurrenceChoice_->setEnabled(false);
        partnerChoice_->setFocus();
        const int at = partnerChoice_->findText(fromCp(state_.lastSavedPartner()), Qt::MatchExactly);
        partnerChoice_->setCurrentIndex(at >= 0 ? at : (partnerChoice_->count() > 0 ? 0 : -1));
        return;
    }
    if (kind == EventKind::Program) timingGroup_->setTitle(kCaptionProgram);
    timeGroup_->show();
    partnerGroup_->hide();
    reminderGroup_->setVisible(kind == EventKind::Reminder);
    programGroup_->setVisible(kind == EventKind::Program);
    (kind == EventKind::Reminder ? static_cast<QWidget*>(reminderText_) : programFile_)->setFocus();
}

void NewEventTab::addEvent() {
    const EventKind kind = chosenKind();
    const DayNumber day = dayOf(datePicker_->date());
    const int minute = timePicker_->time().hour() * 60 + timePicker_->time().minute();
    EventRecord record;
    record.active = activeBox_->isChecked();
    record.date = static_cast<double>(day);

    if (hasTime(kind)) {
        const bool reminder = kind == EventKind::Reminder;
        const QString text = reminder ? reminderText_->toPlainText() : programFile_->text();
        if (text.isEmpty()) return;
        if (state_.minuteTaken(kind, day, minute)) {
            dialogs_.information(minuteTakenMessage(reminder));
            return;
        }
        record.recurrence = static_cast<std::uint8_t>(recurrenceChoice_->currentIndex());
        record.time = storedFromMinute(minute);
        // A program is kept as its file, one space and its parameters.
        record.text = reminder ? toStored(text)
                               : toCp(programFile_->text() + QLatin1Char(' ') + programParameters_->text());
        state_.addEvent(kind, record);
        if (reminder) {
            reminderText_->clear();
        } else {
            programFile_->clear();
            programParameters_->clear();
        }
    } else {
        record.text = toCp(partnerChoice_->currentText());
        state_.addEvent(kind, record);
    }
    emit eventAdded();
}

void NewEventTab::chooseProgramFile() {
    const QString file = dialogs_.openFile(QString(), QString::fromStdString(state_.paths().exeDir.string()),
                                           programFileFilter());
    if (!file.isEmpty()) programFile_->setText(file);
}

void NewEventTab::testProgram() {
    if (!programFile_->text().isEmpty()) shell_.open(programFile_->text(), programParameters_->text());
}

void NewEventTab::explainSeveralPrograms() {
    dialogs_.information(
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

void NewEventTab::requestNewPartner() {
    if (newPartnerName_->text().isEmpty()) return;
    emit newPartnerRequested(QLatin1Char(' ') + newPartnerName_->text());
}

} // namespace zel::gui
