#include "gui/text/help_links.h"

#include "gui/platform/shell.h"
#include "gui/text/help_links_config.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>

namespace zel::gui {

HelpLinks helpLinks(const QString& homePage, const QString& email, const QStringList& manualCandidates) {
    HelpLinks links;
    links.homePage = homePage.trimmed();
    if (links.homePage.isEmpty()) {
        for (const QString& candidate : manualCandidates)
            if (QFileInfo(candidate).isFile()) {
                links.manual = QDir::toNativeSeparators(QFileInfo(candidate).absoluteFilePath());
                break;
            }
    }
    if (!email.trimmed().isEmpty()) links.mail = QStringLiteral("mailto:") + email.trimmed();
    return links;
}

HelpLinks builtHelpLinks(const QString& executableFolder) {
    return helpLinks(QString::fromUtf8(ZEL_HOME_PAGE), QString::fromUtf8(ZEL_AUTHOR_EMAIL),
                     {QDir(executableFolder).filePath(QString::fromUtf8(ZEL_MANUAL_FROM_BINDIR)),
                      QString::fromUtf8(ZEL_SOURCE_MANUAL)});
}

void setUpHelpLinks(const HelpLinks& links, QPushButton* homePageButton, QPushButton* mailButton,
                    Shell& shell, Dialogs& dialogs) {
    homePageButton->setVisible(!links.homePage.isEmpty() || !links.manual.isEmpty());
    if (links.homePage.isEmpty()) {
        // The caption says what opens.
        homePageButton->setText(QStringLiteral("A program kézikönyvének megtekintése"));
        homePageButton->setAccessibleName(homePageButton->text());
    }
    mailButton->setVisible(!links.mail.isEmpty());
    if (!links.homePage.isEmpty())
        QObject::connect(
            homePageButton, &QPushButton::clicked, homePageButton,
            [&shell, &dialogs, page = links.homePage] { openAddressOrReport(shell, dialogs, page); });
    else
        QObject::connect(
            homePageButton, &QPushButton::clicked, homePageButton,
            [&shell, &dialogs, file = links.manual] { openOrReport(shell, dialogs, file, QString()); });
    QObject::connect(mailButton, &QPushButton::clicked, mailButton,
                     [&shell, &dialogs, mail = links.mail] { openAddressOrReport(shell, dialogs, mail); });
}

} // namespace zel::gui
