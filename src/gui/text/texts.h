#pragma once

#include <QString>

namespace zel::gui {

// A line break inside a message text: the platform's own.
#ifdef Q_OS_WIN
inline const QString kNl = QStringLiteral("\r\n");
#else
inline const QString kNl = QStringLiteral("\n");
#endif

inline const QString kModeActive = QStringLiteral("( Aktív mód )");
inline const QString kModePassive = QStringLiteral("( Passzív mód! )");

// The filter of the program file chooser. Programs here have no extension: "*." takes the names
// without a dot, as it does on Windows.
inline QString programFileFilter() {
#ifdef Q_OS_WIN
    return QStringLiteral("Indítható fájlok (*.exe; *.com; *.bat)|*.exe; *.com; *.bat|Minden fájl (*.*)|*.*");
#else
    return QStringLiteral("Indítható fájlok (programok; *.sh; *.py; *.pl)|*.; *.sh; *.py; *.pl; *.rb; "
                          "*.AppImage|Minden fájl (*)|*");
#endif
}

// The refusal of a second reminder (program) for one day and minute.
inline QString minuteTakenMessage(bool reminder) {
    if (reminder)
        return QStringLiteral("A megadott napra és órára már felvett emlékeztetőt.") + kNl + kNl +
               QStringLiteral(
                   "Egy időpillanathoz(nap, óra és perc) csak egy emlékeztetőt vehet fel ezért kérem, "
                   "vagy a most megadott dátumot, vagy a már meglévő emlékeztető dátumát módosítsa.");
    return QStringLiteral("A megadott napra és órára már felvett futtatandó programot.") + kNl + kNl +
           QStringLiteral(
               "Egy időpillanathoz(nap, óra és perc) csak egy programot futtathat ezért kérem, vagy a "
               "most megadott dátumot, vagy a már meglévő programfuttatás dátumát módosítsa.") +
           kNl + kNl +
           QStringLiteral(
               "(Van lehetőség egyszerre több program futtatására, ha az indítandó programok "
               "hivatkozását elhelyezi egy .bat kiterjesztésű állományba. Ha ez elkészült, ezt a batch "
               "állományt adja meg futtatandóként)");
}

} // namespace zel::gui
