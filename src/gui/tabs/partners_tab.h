#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

namespace zel::gui {

class MainWindow;

// "Partnerek": the partner list and its editing panel.
class PartnersTab : public QWidget {
  public:
    PartnersTab(MainWindow& main, QWidget* parent = nullptr);

    // Opens the editing panel for a new partner.
    void Panel5Click();

    QWidget* pUjnev = nullptr;
    QLabel* lSzemely = nullptr;
    QLineEdit* eNev = nullptr;

  private:
    MainWindow& main_;
};

} // namespace zel::gui
