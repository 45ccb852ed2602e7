#pragma once

#include "core/sync/sync_report.h"

#include <QDialog>
#include <QHash>

class QLabel;
class QTableWidget;

namespace zel::gui {

// "Szinkronizálás eredménye": what one synchronisation did, shown beside the window without holding
// it up. Showing another report replaces the content.
class SyncReportWindow : public QDialog {
    Q_OBJECT

  public:
    explicit SyncReportWindow(QWidget* parent = nullptr);

    void showReport(const SyncReport& report);

  private:
    // A caption and a table below it, hidden while the table is empty.
    QTableWidget* addSection(const char* name, const QString& caption, const QStringList& columns);
    void fillTable(QTableWidget* table, const std::vector<QStringList>& rows);
    // Every table as wide as its columns and as tall as its rows, up to a part of the screen.
    void fitToContent();

    QLabel* summary_ = nullptr;
    QTableWidget* conflicts_ = nullptr;
    QTableWidget* skipped_ = nullptr;
    QTableWidget* kept_ = nullptr;
    QLabel* postponed_ = nullptr;
    // Each table's caption, shown and hidden with it.
    QHash<QTableWidget*, QLabel*> captions_;
};

} // namespace zel::gui
