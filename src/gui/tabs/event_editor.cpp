#include "gui/tabs/event_editor.h"

#include "core/events/event_record.h"
#include "core/events/listing.h"
#include "gui/text/qt_text.h"
#include "gui/widgets/section_click.h"
#include "gui/widgets/text_limit.h"
#include "gui/widgets/widget_util.h"
#include "ui_event_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTimeEdit>
#include <algorithm>

namespace zel::gui {

EventEditor::EventEditor(QWidget* parent) : QGroupBox(parent), ui_(std::make_unique<Ui::EventEditor>()) {
    ui_->setupUi(this);
    hide();
    limitStoredLength(ui_->editReminderText, kEventTextCapacity);
    selectSectionOnClick(ui_->editDate);
    selectSectionOnClick(ui_->editTime);
    ui_->editProgramFile->setMaxLength(static_cast<int>(kEventTextCapacity));
    // Two lines of the reminder text; the one-line editors set the editor's height otherwise.
    QPlainTextEdit* text = ui_->editReminderText;
    text->setFixedHeight(2 * text->fontMetrics().lineSpacing() +
                         static_cast<int>(2 * text->document()->documentMargin()) + 2 * text->frameWidth());
    // The field's editor starts at the same place whichever caption stands before it.
    int labelWidth = 0;
    for (const char* caption : {"Aktív", "Dátum", "Idő", "Tárgy", "Fájl", "Név:"})
        labelWidth =
            std::max(labelWidth, ui_->editLabel->fontMetrics().horizontalAdvance(QString::fromUtf8(caption)));
    ui_->editLabel->setMinimumWidth(labelWidth);
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui_->editProgramFile, ui_->editActive, ui_->editDate, ui_->editTime,
                                         ui_->editPartner, ui_->editReminderText, this})
        w->installEventFilter(this);

    connect(ui_->applyButton, &QPushButton::clicked, this, &EventEditor::applyRequested);
    connect(ui_->editBrowseButton, &QPushButton::clicked, this, &EventEditor::browseRequested);
    connect(ui_->todayButton, &QPushButton::clicked, this, [this] {
        if (const auto today = tryParseDateText(ui_->todayButton->text().toStdString()))
            ui_->editDate->setDate(qdateOf(*today));
    });
    connect(ui_->nowButton, &QPushButton::clicked, this, [this] {
        const QTime t = QTime::fromString(ui_->nowButton->text(), QStringLiteral("HH:mm"));
        if (t.isValid()) ui_->editTime->setTime(t);
    });
}

EventEditor::~EventEditor() = default;

void EventEditor::open(EventKind kind, const EventRow* row, int column, Moment now,
                       const std::vector<std::string>& partnerNames) {
    ui_->editBrowseButton->hide();
    ui_->editReminderText->hide();
    ui_->editProgramFile->show();
    if (column == TextColumn && kind == EventKind::Reminder) {
        ui_->editProgramFile->hide();
        ui_->editReminderText->show();
    }
    QWidget* focus = ui_->editReminderText->isHidden() ? nullptr : ui_->editReminderText;
    if (row) {
        ui_->editActive->setChecked(row->active);
        if (row->day) ui_->editDate->setDate(qdateOf(*row->day));
        if (hasTime(kind)) ui_->editTime->setTime(QTime(row->minute / 60, row->minute % 60));
        ui_->editProgramFile->setText(fromCp(row->text));
        ui_->editLabel->clear();
        for (QWidget* w : std::initializer_list<QWidget*>{ui_->editProgramFile, ui_->editDate,
                                                          ui_->todayButton, ui_->editTime, ui_->nowButton,
                                                          ui_->editActive, ui_->editPartner})
            w->hide();
        switch (column) {
        case ActiveColumn:
            ui_->editLabel->setText(QStringLiteral("Aktív"));
            ui_->editActive->show();
            focus = ui_->editActive;
            break;
        case DateColumn:
            ui_->editLabel->setText(QStringLiteral("Dátum"));
            ui_->editDate->show();
            ui_->todayButton->show();
            ui_->todayButton->setText(QString::fromStdString(dateText(now.day)));
            focus = ui_->editDate;
            break;
        case TimeColumn:
            ui_->editLabel->setText(QStringLiteral("Idő"));
            ui_->editTime->show();
            ui_->nowButton->show();
            ui_->nowButton->setText(QTime(now.hour(), now.minute()).toString(QStringLiteral("HH:mm")));
            focus = ui_->editTime;
            break;
        case TextColumn:
            if (kind == EventKind::Reminder) {
                ui_->editLabel->setText(QStringLiteral("Tárgy"));
                ui_->editReminderText->setPlainText(fromStored(row->text));
            } else if (kind == EventKind::Program) {
                ui_->editLabel->setText(QStringLiteral("Fájl"));
                ui_->editProgramFile->show();
                ui_->editProgramFile->setCursorPosition(
                    static_cast<int>(ui_->editProgramFile->text().size()));
                ui_->editBrowseButton->show();
                focus = ui_->editProgramFile;
            } else {
                ui_->editLabel->setText(QStringLiteral("Név:"));
                ui_->editPartner->clear();
                for (const auto& name : partnerNames)
                    ui_->editPartner->addItem(fromCp(name));
                ui_->editPartner->setCurrentIndex(
                    ui_->editPartner->findText(fromCp(row->text), Qt::MatchExactly));
                ui_->editPartner->show();
                focus = ui_->editPartner;
            }
            break;
        default:
            break;
        }
    }
    // Shown once its field is in place, so the listing makes room for its final height at once.
    show();
    if (focus) focus->setFocus();
}

DayNumber EventEditor::day() const {
    return dayOf(ui_->editDate->date());
}

int EventEditor::minute() const {
    return ui_->editTime->time().hour() * 60 + ui_->editTime->time().minute();
}

QString EventEditor::programFile() const {
    return ui_->editProgramFile->text();
}

void EventEditor::setProgramFile(const QString& file) {
    ui_->editProgramFile->setText(file);
}

void EventEditor::setTimeLocked(bool locked) {
    ui_->editTime->setEnabled(!locked);
}

EventRecord EventEditor::changed(EventKind kind, const EventRow& row, int column) const {
    EventRecord record = recordOfRowFields(kind, row);
    switch (column) {
    case ActiveColumn:
        record.active = ui_->editActive->isChecked();
        break;
    case DateColumn:
        record.date = static_cast<double>(day());
        break;
    case TimeColumn:
        record.time = storedFromMinute(minute());
        break;
    case TextColumn:
        if (kind == EventKind::Reminder)
            record.text = toStored(ui_->editReminderText->toPlainText());
        else if (kind == EventKind::Program)
            record.text = toCp(ui_->editProgramFile->text());
        else
            record.text = toCp(ui_->editPartner->currentText());
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
    if (watched == ui_->editReminderText) {
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
        if (watched == ui_->editDate || watched == ui_->editTime)
            (watched == ui_->editDate ? ui_->todayButton : ui_->nowButton)->click();
        return true;
    }
    return false;
}

} // namespace zel::gui
