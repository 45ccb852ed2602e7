#include "gui/tabs/new_event_tab.h"

#include "core/events/recurrence.h"
#include "ui_new_event_tab.h"

#include "gui/platform/dialogs.h"
#include "gui/platform/shell.h"
#include "gui/state/app_state.h"
#include "gui/text/error_box.h"
#include "gui/text/qt_text.h"
#include "gui/text/texts.h"
#include "gui/widgets/partner_names_model.h"
#include "gui/widgets/section_click.h"
#include "gui/widgets/text_limit.h"
#include "gui/widgets/widget_util.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimeEdit>
#include <algorithm>
#include <initializer_list>

namespace zel::gui {

namespace {

const QString kCaptionReminder = QStringLiteral(" A figyelmeztetés időpontja ");
const QString kCaptionProgram = QStringLiteral(" A futtatás kezdésének időpontja ");
const QString kCaptionNameDay = QStringLiteral(" Az első (megünnepelt) névnap dátuma ");
const QString kCaptionBirthday = QStringLiteral(" Az első (megünnepelt) születésnap dátuma ");

// The recurrence choice lists the recurrences in the order of their stored values.
Recurrence chosenRecurrence(const QComboBox* choice) {
    return static_cast<Recurrence>(choice->currentIndex());
}

void chooseRecurrence(QComboBox* choice, Recurrence recurrence) {
    choice->setCurrentIndex(static_cast<int>(recurrence));
}

} // namespace

NewEventTab::NewEventTab(AppState& state, Dialogs& dialogs, Shell& shell, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), shell_(shell),
      ui_(std::make_unique<Ui::NewEventTab>()) {
    ui_->setupUi(this);
    ui_->partnerChoice->setModel(new PartnerNamesModel(state_, ui_->partnerChoice));
    // Its width comes from the layout, not from measuring every partner's name.
    ui_->partnerChoice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    limitStoredLength(ui_->reminderText, kEventTextCapacity);
    selectSectionOnClick(ui_->datePicker);
    selectSectionOnClick(ui_->timePicker);
    // The name days and birthdays have no time, but the day group keeps its width.
    QSizePolicy timePolicy = ui_->timeGroup->sizePolicy();
    timePolicy.setRetainSizeWhenHidden(true);
    ui_->timeGroup->setSizePolicy(timePolicy);
    keepRoomForLongestCaption();
    QSizePolicy recurrencePolicy = ui_->recurrenceGroup->sizePolicy();
    recurrencePolicy.setRetainSizeWhenHidden(true);
    ui_->recurrenceGroup->setSizePolicy(recurrencePolicy);
    connectControls();

    setPickedDate(qdateOf(state_.now().day));
    setTimeToNow();
    onKindChanged();
}

NewEventTab::~NewEventTab() = default;

void NewEventTab::connectControls() {
    connect(ui_->kindChoice, &QComboBox::activated, this,
            [this] { guarded(dialogs_, [this] { onKindChanged(); }); });
    connect(ui_->addButton, &QPushButton::clicked, this,
            [this] { guarded(dialogs_, [this] { addEvent(); }); });
    connect(ui_->browseButton, &QPushButton::clicked, this, &NewEventTab::chooseProgramFile);
    connect(ui_->testButton, &QPushButton::clicked, this, &NewEventTab::testProgram);
    connect(ui_->severalProgramsButton, &QPushButton::clicked, this, &NewEventTab::explainSeveralPrograms);
    connect(ui_->newPartnerButton, &QPushButton::clicked, this, &NewEventTab::requestNewPartner);
    connect(ui_->todayChoice, &QRadioButton::clicked, this,
            [this] { setPickedDate(qdateOf(state_.now().day)); });
    connect(ui_->tomorrowChoice, &QRadioButton::clicked, this,
            [this] { setPickedDate(qdateOf(state_.now().day + 1)); });
    connect(ui_->dateChoice, &QRadioButton::clicked, this, [this] { ui_->datePicker->setFocus(); });
    // A date picked by hand is a date of its own.
    connect(ui_->datePicker, &QDateEdit::dateChanged, this, [this] {
        if (!settingDate_) ui_->dateChoice->setChecked(true);
    });
    connect(ui_->partnerChoice, &QComboBox::activated, this,
            [this] { ui_->existingPartnerChoice->setChecked(true); });
    connect(ui_->newPartnerChoice, &QRadioButton::clicked, this, [this] { ui_->newPartnerName->setFocus(); });
    connect(ui_->newPartnerName, &QLineEdit::textEdited, this,
            [this] { ui_->newPartnerChoice->setChecked(true); });
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->newPartnerName, ui_->programFile,
                                                      ui_->programParameters, ui_->datePicker})
        w->installEventFilter(this);
}

// The caption of the timing group follows the kind; the group keeps room for the longest one, so a
// change of kind neither cuts it nor widens the window.
void NewEventTab::keepRoomForLongestCaption() {
    QGroupBox* group = ui_->timingGroup;
    const QString shown = group->title();
    int width = 0;
    for (const QString& caption : {kCaptionReminder, kCaptionProgram, kCaptionNameDay, kCaptionBirthday}) {
        group->setTitle(caption);
        width = std::max(width, group->minimumSizeHint().width());
    }
    group->setTitle(shown);
    group->setMinimumWidth(width);
}

bool NewEventTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        // Enter in a field runs the button beside it.
        if (enter && watched == ui_->newPartnerName) return requestNewPartner(), true;
        if (enter && watched == ui_->programFile) return chooseProgramFile(), true;
        if (enter && watched == ui_->programParameters) return testProgram(), true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == ui_->datePicker) ui_->dateChoice->setChecked(true);
        if (watched == ui_->newPartnerName) ui_->newPartnerChoice->setChecked(true);
    }
    return QWidget::eventFilter(watched, event);
}

void NewEventTab::chooseDate(const QString& dateText) {
    ui_->dateChoice->setChecked(true);
    ui_->datePicker->setFocus();
    setPickedDate(qdateOf(parseDateText(toCp(dateText))));
}

void NewEventTab::setPickedDate(const QDate& date) {
    settingDate_ = true;
    ui_->datePicker->setDate(date);
    settingDate_ = false;
}

void NewEventTab::setTimeToNow() {
    const Moment now = state_.now();
    ui_->timePicker->setTime(QTime(now.hour(), now.minute(), now.second()));
}

EventKind NewEventTab::chosenKind() const {
    return kAllEventKinds[static_cast<std::size_t>(std::max(0, ui_->kindChoice->currentIndex()))];
}

void NewEventTab::onShown() {
    setPickedDate(qdateOf(state_.now().day));
    onKindChanged();
    if (ui_->todayChoice->isChecked())
        setPickedDate(qdateOf(state_.now().day));
    else if (ui_->tomorrowChoice->isChecked())
        setPickedDate(qdateOf(state_.now().day + 1));
    else
        ui_->datePicker->setFocus();
    reloadPartners();
    setTimeToNow();
}

void NewEventTab::reloadPartners() {
    // The model has followed the state already; the choice goes back to the first name.
    if (ui_->partnerChoice->count() > 0) ui_->partnerChoice->setCurrentIndex(0);
}

void NewEventTab::selectKind(EventKind kind) {
    ui_->kindChoice->setCurrentIndex(static_cast<int>(kindIndex(kind)));
    onKindChanged();
}

void NewEventTab::onKindChanged() {
    ui_->timingGroup->setTitle(kCaptionReminder);
    chooseRecurrence(ui_->recurrenceChoice, Recurrence::Never);
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
        ui_->timingGroup->setTitle(kind == EventKind::NameDay ? kCaptionNameDay : kCaptionBirthday);
        ui_->detailPanels->setCurrentWidget(ui_->partnerGroup);
        ui_->timeGroup->hide();
        // Name days and birthdays come every year by their nature; their records keep no recurrence.
        chooseRecurrence(ui_->recurrenceChoice, Recurrence::Yearly);
        ui_->recurrenceGroup->hide();
        ui_->partnerChoice->setFocus();
        const int at = ui_->partnerChoice->findText(fromCp(state_.lastSavedPartner()), Qt::MatchExactly);
        ui_->partnerChoice->setCurrentIndex(at >= 0 ? at : (ui_->partnerChoice->count() > 0 ? 0 : -1));
        return;
    }
    if (kind == EventKind::Program) ui_->timingGroup->setTitle(kCaptionProgram);
    ui_->timeGroup->show();
    ui_->recurrenceGroup->show();
    ui_->detailPanels->setCurrentWidget(kind == EventKind::Reminder ? ui_->reminderGroup : ui_->programGroup);
    (kind == EventKind::Reminder ? static_cast<QWidget*>(ui_->reminderText) : ui_->programFile)->setFocus();
}

void NewEventTab::addEvent() {
    const EventKind kind = chosenKind();
    const DayNumber day = dayOf(ui_->datePicker->date());
    const int minute = ui_->timePicker->time().hour() * 60 + ui_->timePicker->time().minute();
    EventRecord record;
    record.active = ui_->activeBox->isChecked();
    record.date = static_cast<double>(day);

    if (hasTime(kind)) {
        const bool reminder = kind == EventKind::Reminder;
        const QString text = reminder ? ui_->reminderText->toPlainText() : ui_->programFile->text();
        if (text.isEmpty()) return;
        if (state_.minuteTaken(kind, day, minute)) {
            dialogs_.information(minuteTakenMessage(reminder));
            return;
        }
        // The clock fires only what lies ahead: a moment gone by would be stored for nothing, unless
        // it recurs, when its next occurrence comes.
        if (Moment{day, minute * 60'000LL} < state_.now() &&
            !recurs(chosenRecurrence(ui_->recurrenceChoice)) &&
            dialogs_.confirmation(QStringLiteral("A megadott időpont már elmúlt, így az esemény nem fog "
                                                 "bekövetkezni. Mégis felveszi?"),
                                  Dialogs::Yes | Dialogs::No, Dialogs::No) != Dialogs::Yes)
            return;
        record.recurrence = chosenRecurrence(ui_->recurrenceChoice);
        record.time = storedFromMinute(minute);
        // A program is kept as its file, one space and its parameters.
        record.text =
            reminder ? toStored(text)
                     : toCp(ui_->programFile->text() + QLatin1Char(' ') + ui_->programParameters->text());
        state_.addEvent(kind, record);
        if (reminder) {
            ui_->reminderText->clear();
        } else {
            ui_->programFile->clear();
            ui_->programParameters->clear();
        }
    } else {
        record.text = toCp(ui_->partnerChoice->currentText());
        state_.addEvent(kind, record);
    }
    emit eventAdded();
}

void NewEventTab::chooseProgramFile() {
    const QString file = dialogs_.openFile(QString(), QString::fromStdString(state_.paths().exeDir.string()),
                                           programFileFilter());
    if (!file.isEmpty()) ui_->programFile->setText(file);
}

void NewEventTab::testProgram() {
    if (!ui_->programFile->text().isEmpty())
        openOrReport(shell_, dialogs_, ui_->programFile->text(), ui_->programParameters->text());
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
    if (ui_->newPartnerName->text().isEmpty()) return;
    emit newPartnerRequested(QLatin1Char(' ') + ui_->newPartnerName->text());
}

} // namespace zel::gui
