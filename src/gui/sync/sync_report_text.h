#pragma once

#include "core/sync/sync_report.h"

#include <QString>
#include <string>

namespace zel::gui {

// The words of the report, shared by its window and the command line (no widgets here).

// A partner field as the partner editor labels it, without the colon: "Név", "Telefon", ...
QString fieldCaption(PartnerField field);
// The field's caption, or "Születésnap" for the birthday.
QString conflictCaption(const SyncReport::Conflict& c);
// Why a card was left out: "nincs neve", "ilyen nevű partner már van", ...
QString skipReasonText(SyncReport::Skipped::Reason reason);
// "Ezen a gépen: 2 új, 1 módosított, 0 törölt partner"
QString localSummary(const SyncReport& report);
// "A kiszolgálón: 1 új, 0 módosított, 0 törölt névjegy"
QString serverSummary(const SyncReport& report);
// A conflicting value on one line; "(üres)" for an empty one.
QString conflictValue(const std::string& utf8);
// Which side's value stayed: "kiszolgálóé" or "helyi".
QString keptSide(const SyncReport::Conflict& conflict);
// A skipped card as the report names it: its name, else its address on the server.
QString skippedCard(const SyncReport::Skipped& skipped);
// "megmaradt, mert a másik oldalon módosult"
QString keptReason();
// The line on uploads left for the next run; empty when there were none.
QString postponedText(std::size_t postponed);

// "A naptárban: 3 új, 0 módosított, 1 törölt esemény"; empty when no calendar was published to.
QString calendarSummary(const SyncReport& report);
// The calendar's further lines (events put back, others' events, uploads left, a failure), one a line
// without the last line break; empty when there is nothing to say.
QString calendarNotes(const SyncReport& report);

// The whole report as plain text, one item a line, ending in a line break.
QString reportText(const SyncReport& report);

} // namespace zel::gui
