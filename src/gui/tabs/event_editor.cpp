#include "gui/tabs/event_editor.h"

#include "core/events/event_record.h"
#include "core/events/listing.h"
#include "gui/qt_text.h"
#include "gui/widgets/text_limit.h"
#include "gui/widgets/widget_util.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimeEdit>

namespace zel::gui {

namespace {
constexpr int kHeight = 43, kTallHeight = 51;
}

EventEditor::EventEditor(QWidget* parent) : QGroupBox(QStringLiteral(" &Adatok módosítása "), parent) {
    setObjectName(QStringLiteral("editGroup"));
    // It lies over the grid's place, so it paints its own background.
    setAutoFillBackground(true);
    hide();
    fieldLabel_ = named(new QLabel(this), "editLabel");
    fieldLabel_->setGeometry(6, 17, 40, 20);
    activeBox_ = labelled(named(new QCheckBox(this), "editActive"), QStringLiteral("Aktív"));
    activeBox_->setGeometry(46, 17, 65, 17);
    datePicker_ = labelled(named(new QDateEdit(this), "editDate"), QStringLiteral("Dátum"));
    datePicker_->setDisplayFormat(QStringLiteral("yyyy.MM.dd."));
    datePicker_->setCalendarPopup(true);
    datePicker_->setGeometry(46, 14, 120, 23);
    todayButton_ = named(new QPushButton(this), "todayButton");
    todayButton_->setGeometry(170, 13, 84, 24);
    todayButton_->setToolTip(QStringLiteral("Az aktuális dátum beszúrása <Space gomb>"));
    timePicker_ = labelled(named(new QTimeEdit(this), "editTime"), QStringLiteral("Idő"));
    timePicker_->setDisplayFormat(QStringLiteral("HH:mm"));
    timePicker_->setGeometry(46, 14, 70, 22);
    nowButton_ = named(new QPushButton(this), "nowButton");
    nowButton_->setGeometry(120, 13, 56, 24);
    nowButton_->setToolTip(QStringLiteral("Az aktuális idő beszúrása <Space gomb>"));
    reminderText_ = labelled(named(new QPlainTextEdit(this), "editReminderText"), QStringLiteral("Tárgy"));
    reminderText_->setGeometry(46, 13, 370, 32);
    limitStoredLength(reminderText_, kEventTextCapacity);
    textField_ = labelled(named(new QLineEdit(this), "editProgramFile"), QStringLiteral("Fájl"));
    textField_->setMaxLength(static_cast<int>(kEventTextCapacity));
    textField_->setGeometry(46, 14, 305, 22);
    browseButton_ = named(new QPushButton(QStringLiteral("Megnyit"), this), "editBrowseButton");
    browseButton_->setGeometry(355, 13, 60, 24);
    partnerChoice_ = labelled(named(new QComboBox(this), "editPartner"), QStringLiteral("Név:"));
    partnerChoice_->setGeometry(46, 14, 250, 22);
    auto* applyButton = named(new QPushButton(QStringLiteral("Átír"), this), "applyButton");
    applyButton->setGeometry(421, 15, 54, 24);
    for (QWidget* w : std::initializer_list<QWidget*>{textField_, activeBox_, datePicker_, timePicker_,
                                                      partnerChoice_, reminderText_, this})
        w->installEventFilter(this);

    connect(applyButton, &QPushButton::clicked, this, &EventEditor::applyRequested);
    connect(browseButton_, &QPushButton::clicked, this, &EventEditor::browseRequested);
    connect(todayButton_, &QPushButton::clicked, this, [this] {
        if (const auto today = tryParseDateText(todayButton_->text().toStdString()))
            datePicker_->setDate(qdateOf(*today));
    });
    connect(nowButton_, &QPushButton::clicked, this, [this] {
        const QTime t = QTime::fromString(nowButton_->text(), QStringLiteral("HH:mm"));
        if (t.isValid()) timePicker_->setTime(t);
    });
}

int EventEditor::wantedHeight() const {
    return reminderText_->isHidden() ? kHeight : kTallHeight;
}

void EventEditor::open(EventKind kind, const EventRow* row, int column, Moment now,
                       const std::vector<std::string>& partnerNames) {
    browseButton_->hide();
    reminderText_->hide();
    textField_->show();
    if (column == TextColumn && kind == EventKind::Reminder) {
        textField_->hide();
        reminderText_->show();
    }
    resize(width(), wantedHeight());
    show();
    raise();
    if (!reminderText_->isHidden()) reminderText_->setFocus();
    if (!row) return;

    activeBox_->setChecked(row->active);
    if (row->day) datePicker_->setDate(qdateOf(*row->day));
    if (hasTime(kind)) timePicker_->setTime(QTime(row->minute / 60, row->minute % 60));
    textField_->setText(fromCp(row->text));
    fieldLabel_->clear();
    for (QWidget* w : std::initializer_list<QWidget*>{textField_, datePicker_, todayButton_, timePicker_,
                                                      nowButton_, activeBox_, partnerChoice_})
        w->hide();
    switch (column) {
    case ActiveColumn:
        fieldLabel_->setText(QStringLiteral("Aktív"));
        activeBox_->show();
        activeBox_->setFocus();
        break;
    case DateColumn:
        fieldLabel_->setText(QStringLiteral("Dátum"));
        datePicker_->show();
        todayButton_->show();
        todayButton_->setText(QString::fromStdString(dateText(now.day)));
        datePicker_->setFocus();
        break;
    case TimeColumn:
        fieldLabel_->setText(QStringLiteral("Idő"));
        timePicker_->show();
        nowButton_->show();
        nowButton_->setText(QTime(now.hour(), now.minute()).toString(QStringLiteral("HH:mm")));
        timePicker_->setFocus();
        break;
    case TextColumn:
        if (kind == EventKind::Reminder) {
            fieldLabel_->setText(QStringLiteral("Tárgy"));
            reminderText_->setPlainText(fromStored(row->text));
        } else if (kind == EventKind::Program) {
            fieldLabel_->setText(QStringLiteral("Fájl"));
            textField_->show();
            textField_->setCursorPosition(static_cast<int>(textField_->text().size()));
            browseButton_->show();
            textField_->setFocus();
        } else {
            fieldLabel_->setText(QStringLiteral("Név:"));
            partnerChoice_->clear();
            for (const auto& name : partnerNames)
                partnerChoice_->addItem(fromCp(name));
            partnerChoice_->setCurrentIndex(partnerChoice_->findText(fromCp(row->text), Qt::MatchExactly));
            partnerChoice_->show();
            partnerChoice_->setFocus();
        }
        break;
    default:
        break;
    }
}

DayNumber EventEditor::day() const {
    return dayOf(datePicker_->date());
}

int EventEditor::minute() const {
    return timePicker_->time().hour() * 60 + timePicker_->time().minute();
}

QString EventEditor::programFile() const {
    return textField_->text();
}

void EventEditor::setProgramFile(const QString& file) {
    textField_->setText(file);
}

void EventEditor::setTimeLocked(bool locked) {
    timePicker_->setEnabled(!locked);
}

EventRecord EventEditor::changed(EventKind kind, const EventRow& row, int column) const {
    EventRecord record = recordOfRowFields(kind, row);
    switch (column) {
    case ActiveColumn:
        record.active = activeBox_->isChecked();
        break;
    case DateColumn:
        record.date = static_cast<double>(day());
        break;
    case TimeColumn:
        record.time = storedFromMinute(minute());
        break;
    case TextColumn:
        if (kind == EventKind::Reminder)
            record.text = toStored(reminderText_->toPlainText());
        else if (kind == EventKind::Program)
            record.text = toCp(textField_->text());
        else
            record.text = toCp(partnerChoice_->currentText());
        break;
    default:
        break;
    }
    return record;
}

bool EventEditor::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type == QEvent::MouseButtonDblClick && watched == this) {
        emit closeRequested();
        return true;
    }
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return QGroupBox::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const bool esc = key->key() == Qt::Key_Escape;
    if (watched == this) return false;
    if (type == QEvent::ShortcutOverride) {
        // The editors take Escape, Enter and Space before any window shortcut does.
        if (esc || enter || key->key() == Qt::Key_Space) event->accept();
        return false;
    }
    if (esc) {
        emit closeRequested();
        return true;
    }
    if (watched == reminderText_) {
        // Ctrl with either Enter key: the keypad's one carries a modifier of its own.
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
            emit applyRequested();
            return true;
        }
        return false;
    }
    if (enter) {
        emit applyRequested();
        return true;
    }
    // Space in a date or time editor puts today or now in; the one-line editors take no spaces.
    if (key->key() == Qt::Key_Space) {
        if (watched == datePicker_ || watched == timePicker_)
            (watched == datePicker_ ? todayButton_ : nowButton_)->click();
        return true;
    }
    return false;
}

} // namespace zel::gui
