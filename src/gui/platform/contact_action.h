#pragma once

#include "core/settings/settings_record.h"

#include <QString>

namespace zel::gui {

class Dialogs;
class Shell;

// The lines of a partner's contact details, in the order they are listed.
enum class ContactLine { Email = 0, Web, Address, Mobile, Phone };

// What a double click on a contact line does: writes a mail, opens the web page, or opens the web
// page the settings keep for addresses, mobiles and landlines after offering to copy the line.
// Lines shorter than two characters do nothing.
void runContactAction(ContactLine line, const QString& text, const Settings& settings, Dialogs& dialogs,
                      Shell& shell);

// "E-mail cím", "Honlap cím", …: the caption of a line's hint.
QString contactLineLabel(ContactLine line);

} // namespace zel::gui
