#pragma once

#include <QString>
#include <QStringList>

class QPushButton;

namespace zel::gui {

class Dialogs;
class Shell;

// What the help tab's two links open. A packager gives the program's web page and the authors'
// e-mail address as build settings; without a web page the first link opens the manual installed
// with the program, and without an address the second is not offered.
struct HelpLinks {
    QString homePage; // a web address; empty: the manual
    QString manual;   // the manual's path when no web page is given; empty: none found
    QString mail;     // "mailto:" and the address; empty: none
};

// From the given settings, the manual being the first of the candidate files that exists.
HelpLinks helpLinks(const QString& homePage, const QString& email, const QStringList& manualCandidates);
// From the build's settings, the manual looked for where `cmake --install` puts it beside the
// executable's folder, then in the sources the program was built from (a program run from its build).
HelpLinks builtHelpLinks(const QString& executableFolder);

// Shows the links there are and opens them on a click, saying so when nothing could open them.
void setUpHelpLinks(const HelpLinks& links, QPushButton* homePageButton, QPushButton* mailButton,
                    Shell& shell, Dialogs& dialogs);

} // namespace zel::gui
