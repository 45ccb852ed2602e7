#pragma once

#include "core/events/event_table.h"

#include <QGroupBox>
#include <memory>

namespace Ui {
class EventEditor;
}

namespace zel::gui {

// "Adatok módosítása": the editor of one field of a listed event, below the listing. The listing
// asks it to open on a cell and writes what it holds when it asks to apply.
class EventEditor : public QGroupBox {
    Q_OBJECT

  public:
    // The listing's columns: active mark, recurrence, date, time, text.
    enum Column { ActiveColumn = 0, RecurrenceColumn, DateColumn, TimeColumn, TextColumn };

    explicit EventEditor(QWidget* parent = nullptr);
    ~EventEditor() override;

    // Shows the editor of this column of the row; the current date and time stand on its buttons.
    void open(EventKind kind, const EventRow* row, int column, Moment now,
              const std::vector<std::string>& partnerNames);
    // The row's record with the edited field changed.
    EventRecord changed(EventKind kind, const EventRow& row, int column) const;
    DayNumber day() const;
    int minute() const;
    // The text of the program file field, as typed.
    QString programFile() const;
    void setProgramFile(const QString& file);
    // Keeps the time editor from taking input while a write is on its way.
    void setTimeLocked(bool locked);

  signals:
    // Enter, Ctrl+Enter in the reminder text, or "Átír".
    void applyRequested();
    // Escape, or a double click on the group.
    void closeRequested();
    // "Megnyit" beside the program file.
    void browseRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::unique_ptr<Ui::EventEditor> ui_;
};

} // namespace zel::gui
