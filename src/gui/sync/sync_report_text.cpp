#include "gui/sync/sync_report_text.h"

#include "gui/text/qt_text.h"

#include <QStringList>

namespace zel::gui {

namespace {

QString counts(const SyncReport::Counts& c) {
    return QStringLiteral("%1 új, %2 módosított, %3 törölt").arg(c.created).arg(c.changed).arg(c.deleted);
}

QString utf8(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

QString fieldCaption(PartnerField field) {
    switch (field) {
    case PartnerField::Name:
        return QStringLiteral("Név");
    case PartnerField::Address:
        return QStringLiteral("Cím");
    case PartnerField::WebAddress:
        return QStringLiteral("Honlap");
    case PartnerField::Email:
        return QStringLiteral("E-mail");
    case PartnerField::Mobile:
        return QStringLiteral("Mobil");
    case PartnerField::Phone:
        return QStringLiteral("Telefon");
    case PartnerField::Note:
        break;
    }
    return QStringLiteral("Megjegyzés");
}

QString conflictCaption(const SyncReport::Conflict& c) {
    return c.birthday ? QStringLiteral("Születésnap") : fieldCaption(c.field);
}

QString skipReasonText(SyncReport::Skipped::Reason reason) {
    using Reason = SyncReport::Skipped::Reason;
    switch (reason) {
    case Reason::EmptyName:
        return QStringLiteral("nincs neve");
    case Reason::Colon:
        return QStringLiteral("a neve kettőspontot tartalmaz");
    case Reason::NameTaken:
        return QStringLiteral("ilyen nevű partner már van");
    case Reason::Unreadable:
        break;
    }
    return QStringLiteral("nem olvasható névjegy");
}

QString localSummary(const SyncReport& report) {
    return QStringLiteral("Ezen a gépen: ") + counts(report.local) + QStringLiteral(" partner");
}

QString serverSummary(const SyncReport& report) {
    return QStringLiteral("A kiszolgálón: ") + counts(report.server) + QStringLiteral(" névjegy");
}

QString conflictValue(const std::string& text) {
    return text.empty() ? QStringLiteral("(üres)") : oneLine(utf8(text));
}

QString keptSide(const SyncReport::Conflict& conflict) {
    return conflict.serverTaken ? QStringLiteral("kiszolgálóé") : QStringLiteral("helyi");
}

QString skippedCard(const SyncReport::Skipped& skipped) {
    return skipped.name.empty() ? utf8(skipped.href) : utf8(skipped.name);
}

QString keptReason() {
    return QStringLiteral("megmaradt, mert a másik oldalon módosult");
}

QString postponedText(std::size_t postponed) {
    if (postponed == 0) return {};
    return QStringLiteral("%1 névjegy feltöltése a következő szinkronizálásra maradt, mert a kiszolgálón "
                          "közben ismét módosult.")
        .arg(postponed);
}

QString calendarSummary(const SyncReport& report) {
    if (!report.calendar || !report.calendar->failure.empty()) return {};
    return QStringLiteral("A naptárban: ") + counts(report.calendar->events) + QStringLiteral(" esemény");
}

QString calendarNotes(const SyncReport& report) {
    if (!report.calendar) return {};
    const SyncReport::Calendar& c = *report.calendar;
    QStringList lines;
    if (c.restored > 0)
        lines << QStringLiteral("%1 eseményt máshol módosítottak vagy töröltek a naptárban; a Zelmoran "
                                "visszaállította őket.")
                     .arg(c.restored);
    if (c.postponed > 0)
        lines << QStringLiteral("%1 esemény feltöltése a következő szinkronizálásra maradt, mert a "
                                "kiszolgálón közben ismét módosult.")
                     .arg(c.postponed);
    if (c.foreign > 0)
        lines << QStringLiteral("A naptárban %1 más programtól származó esemény is van; ezekhez a Zelmoran "
                                "nem nyúlt.")
                     .arg(c.foreign);
    if (!c.failure.empty())
        lines << QStringLiteral("A naptár frissítése nem sikerült: ") + utf8(c.failure).simplified();
    return lines.join(u'\n');
}

QString reportText(const SyncReport& report) {
    const QString notes = calendarNotes(report);
    const QString notesLines = notes.isEmpty() ? QString() : notes + u'\n';
    if (report.nothingChanged()) return QStringLiteral("Nem történt változás.\n") + notesLines;
    QString out = localSummary(report) + u'\n' + serverSummary(report) + u'\n';
    const QString calendar = calendarSummary(report);
    if (!calendar.isEmpty()) out += calendar + u'\n';
    if (!report.conflicts.empty()) {
        out += QStringLiteral("Ütközések:\n");
        for (const SyncReport::Conflict& c : report.conflicts)
            out += QStringLiteral("  %1, %2: ezen a gépen „%3”, a kiszolgálón „%4”; megmaradt: %5\n")
                       .arg(utf8(c.partner), conflictCaption(c), conflictValue(c.local),
                            conflictValue(c.server), keptSide(c));
    }
    if (!report.skipped.empty()) {
        out += QStringLiteral("Kihagyott névjegyek (a kiszolgálón változatlanul maradtak):\n");
        for (const SyncReport::Skipped& s : report.skipped)
            out += QStringLiteral("  %1: %2\n").arg(skippedCard(s), skipReasonText(s.reason));
    }
    if (!report.kept.empty()) {
        out += QStringLiteral("Nem törölt partnerek:\n");
        for (const std::string& name : report.kept)
            out += QStringLiteral("  %1: %2\n").arg(utf8(name), keptReason());
    }
    if (report.postponed > 0) out += postponedText(report.postponed) + u'\n';
    return out + notesLines;
}

} // namespace zel::gui
