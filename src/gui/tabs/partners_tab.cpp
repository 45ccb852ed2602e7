#include "tabs/partners_tab.h"

#include <QLabel>
#include <QLineEdit>

namespace zel::gui {

PartnersTab::PartnersTab(MainWindow& main, QWidget* parent) : QWidget(parent), main_(main) {
    setObjectName(QStringLiteral("pSzemelyek"));
    pUjnev = new QWidget(this);
    pUjnev->setObjectName(QStringLiteral("pUjnev"));
    pUjnev->setGeometry(0, 0, 489, 248);
    pUjnev->hide();
    lSzemely = new QLabel(pUjnev);
    lSzemely->setObjectName(QStringLiteral("lSzemely"));
    lSzemely->setGeometry(8, 4, 300, 20);
    auto* lNev = new QLabel(QStringLiteral("Név:"), pUjnev);
    lNev->setGeometry(8, 30, 60, 22);
    eNev = new QLineEdit(pUjnev);
    eNev->setObjectName(QStringLiteral("eNev"));
    eNev->setMaxLength(40);
    eNev->setGeometry(70, 30, 300, 22);
}

void PartnersTab::Panel5Click() {
    pUjnev->show();
    eNev->clear();
    eNev->setFocus();
    lSzemely->setText(QStringLiteral("        Új személy felvitele"));
}

} // namespace zel::gui
