#include "core/sync/address_book_plan.h"

#include "core/exchange/partner_import.h"
#include "core/sync/card.h"
#include "core/sync/merge.h"
#include "core/text/cp1250.h"

#include <set>
#include <unordered_map>

namespace zel {

namespace {

bool allDigits(std::string_view s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return !s.empty();
}

int number(std::string_view s) {
    int n = 0;
    for (char c : s)
        n = n * 10 + (c - '0');
    return n;
}

std::string twoDigits(int n) {
    return {static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)};
}

// Folded as the importer compares names: cut to the record's capacity, capitals made small.
std::string nameKey(const std::string& utf8) {
    return foldedName(utf8ToCp1250(utf8).substr(0, fieldCapacity(PartnerField::Name)));
}

bool sameBirthday(const std::string& a, const std::string& b) {
    if (a == b) return true;
    const auto da = birthdayOf(a), db = birthdayOf(b);
    return da && db && *da == *db;
}

// Whether the partner's birthday is still the one the base holds.
bool localBirthdayAgrees(const std::string& base, const std::optional<DayNumber>& local) {
    if (base.empty()) return !local;
    const auto date = birthdayOf(base);
    // A BDAY the partner file cannot hold was never written there: nothing to compare.
    if (!date) return true;
    if (!local) return false;
    const Ymd here = ymdOf(*local);
    return date->year == 0 ? here.month == date->month && here.day == date->day : here == *date;
}

struct BirthdayMerge {
    std::string result; // the BDAY both sides hold afterwards
    bool toServer = false, toLocal = false;
    std::optional<SyncReport::Conflict> conflict;
};

std::string localBirthdayText(const std::optional<DayNumber>& local) {
    return local ? zel::dateText(*local) : std::string();
}

BirthdayMerge mergeBirthday(const std::optional<std::string>& base, const std::optional<DayNumber>& local,
                            const std::string& server, const std::string& version) {
    BirthdayMerge m;
    const auto localValue = [&] { return local ? birthdayValue(ymdOf(*local), version) : std::string(); };
    const auto conflict = [&](bool serverTaken) {
        SyncReport::Conflict c{};
        c.birthday = true;
        c.local = localBirthdayText(local);
        c.server = server;
        c.serverTaken = serverTaken;
        m.conflict = c;
    };
    const bool agreesWithServer = localBirthdayAgrees(server, local);
    if (!base) {
        if (agreesWithServer || !local) {
            m.result = server;
        } else if (server.empty()) {
            m.result = localValue();
        } else {
            conflict(false);
            m.result = localValue();
        }
    } else {
        const bool localChanged = !localBirthdayAgrees(*base, local);
        const bool serverChanged = !sameBirthday(*base, server);
        if (!localChanged) {
            m.result = server;
        } else if (!serverChanged) {
            m.result = localValue();
        } else {
            if (!agreesWithServer) conflict(true);
            m.result = server;
        }
    }
    m.toServer = !sameBirthday(m.result, server);
    m.toLocal = !localBirthdayAgrees(m.result, local);
    return m;
}

// The partner record after a merge: the fields the merge sends here in their stored form, the others
// as the partner holds them.
PartnerRecord mergedRecord(const PartnerFields& local, const Merged& merged) {
    PartnerFields fields = local;
    for (PartnerField f : merged.toLocal)
        fieldOf(fields, f) = fieldOf(merged.result, f);
    return recordOfFields(fields);
}

void setBirthdayWrite(LocalWrite& w, const std::string& bday, DayNumber today) {
    if (bday.empty()) {
        w.birthday = LocalWrite::Birthday::Remove;
    } else if (const auto date = birthdayOf(bday)) {
        w.birthday = LocalWrite::Birthday::Set;
        w.birthdayDay = birthdayRecordDay(*date, today);
    }
}

std::string cardWithBirthday(std::string bytes, const std::string& bday) {
    if (bday.empty()) return bytes;
    auto card = VCard::parse(bytes);
    if (!card) return bytes;
    card->setBirthday(bday);
    return card->bytes();
}

class Planner {
  public:
    Planner(const SyncMap& map, const std::vector<LocalPartner>& local, const ServerListing& listing,
            const std::vector<ServerCard>& fetched, DayNumber today,
            const std::function<std::string()>& newUid)
        : map_(map), local_(local), listing_(listing), today_(today), newUid_(newUid) {
        for (std::size_t i = 0; i < local.size(); ++i) {
            byName_.emplace(local[i].fields.name, i);
            heldNames_.insert(nameKey(local[i].fields.name));
        }
        for (const ServerCard& c : fetched)
            fetched_.emplace(c.href, &c);
        for (const ListedCard& c : listing.changed)
            listed_.emplace(c.href, c.etag);
        for (const std::string& href : listing.removed)
            removed_.insert(href);
        for (const SyncLink& l : map.links)
            namedByLink_.insert(l.localName);
        linkedLocal_.assign(local.size(), false);
    }

    SyncPlan run() {
        plan_.map.collectionUrl = map_.collectionUrl;
        plan_.map.syncToken = map_.syncToken;
        for (const SyncLink& link : map_.links)
            linked(link);
        for (const ListedCard& c : listing_.changed)
            if (!linkedHrefs_.contains(c.href)) unlinkedCard(c.href);
        for (std::size_t i = 0; i < local_.size(); ++i)
            if (!linkedLocal_[i]) newPartner(local_[i]);
        return std::move(plan_);
    }

  private:
    // The card now, when the server holds it: the fetched one, or nothing changed since the map.
    enum class CardNow { Gone, Same, Fetched };
    CardNow cardNow(const SyncLink& link, const ServerCard*& card) const {
        card = nullptr;
        if (removed_.contains(link.href)) return CardNow::Gone;
        const auto listed = listed_.find(link.href);
        if (listed == listed_.end()) {
            if (listing_.complete) return CardNow::Gone;
        } else if (listed->second != link.etag) {
            const auto f = fetched_.find(link.href);
            if (f == fetched_.end()) return CardNow::Gone; // went between the listing and the read
            card = f->second;
            return CardNow::Fetched;
        }
        const auto f = fetched_.find(link.href);
        if (f != fetched_.end()) card = f->second;
        return CardNow::Same;
    }

    // A partner renamed while its map was not told (the map's write failed, a sync was cut off after
    // the partner file, or another program renamed it): the one partner no link names that holds
    // every other field of the link's base, at least one of them not empty, and its birthday or none.
    // A rename's birthday is written after the partner file, so a cut-off one leaves it under the
    // former name.
    std::optional<std::size_t> renamedElsewhere(const SyncLink& link) const {
        std::optional<std::size_t> found;
        for (std::size_t i = 0; i < local_.size(); ++i) {
            const LocalPartner& p = local_[i];
            if (linkedLocal_[i] || namedByLink_.contains(p.fields.name)) continue;
            bool same = !p.birthday || localBirthdayAgrees(link.birthday, p.birthday), filled = false;
            for (PartnerField f : kPartnerFields) {
                if (f == PartnerField::Name) continue;
                same = same && fieldOf(p.fields, f) == localForm(f, fieldOf(link.base, f));
                filled = filled || !fieldOf(p.fields, f).empty();
            }
            if (!same || !filled) continue;
            if (found) return std::nullopt; // two could be it: none is
            found = i;
        }
        return found;
    }

    std::optional<std::size_t> localOf(const std::string& name) const {
        const auto it = byName_.find(name);
        if (it == byName_.end()) return std::nullopt;
        return it->second;
    }

    void linked(const SyncLink& link) {
        linkedHrefs_.insert(link.href);
        const ServerCard* card = nullptr;
        const CardNow now = cardNow(link, card);
        std::optional<VCard> parsed;
        if (card) parsed = VCard::parse(card->bytes);
        const auto named = localOf(link.localName);
        const auto here = named ? named : renamedElsewhere(link);
        if (here) linkedLocal_[*here] = true;
        // Found under another name without a birthday: it keeps the link's, and the merge writes it
        // under the name it holds now.
        std::optional<LocalPartner> partner;
        bool birthdayBehind = false;
        if (here) {
            partner = local_[*here];
            if (const auto date = birthdayOf(link.birthday); !named && !partner->birthday && date) {
                partner->birthday = birthdayRecordDay(*date, today_);
                birthdayBehind = true;
            }
        }
        if (card && !parsed) {
            // Left as both sides last agreed until the card can be read.
            plan_.map.links.push_back(link);
            plan_.report.skipped.push_back(
                {link.href, link.base.name, SyncReport::Skipped::Reason::Unreadable});
            return;
        }

        SideState localState = SideState::Deleted;
        if (partner) {
            const LocalPartner& p = *partner;
            localState =
                localChangedSince(link.base, p.fields) || !localBirthdayAgrees(link.birthday, p.birthday)
                    ? SideState::Changed
                    : SideState::Unchanged;
        }
        SideState serverState = SideState::Unchanged;
        // A card read for the partner's change that did not come went meanwhile.
        if (now == CardNow::Gone || (now == CardNow::Same && !card && localState == SideState::Changed))
            serverState = SideState::Deleted;
        else if (now == CardNow::Fetched)
            serverState = parsed && (serverChangedSince(link.base, fieldsOf(*parsed)) ||
                                     !sameBirthday(link.birthday, parsed->birthday()))
                              ? SideState::Changed
                              : SideState::Unchanged;

        switch (fateOf(localState, serverState)) {
        case Fate::Forget:
            return;
        case Fate::DeleteLocally: {
            LocalWrite w;
            w.kind = LocalWrite::Kind::Delete;
            w.name = utf8ToCp1250(link.localName);
            plan_.local.push_back(std::move(w));
            ++plan_.report.local.deleted;
            ++plan_.deletions;
            heldNames_.erase(nameKey(link.localName));
            return;
        }
        case Fate::DeleteOnServer: {
            Upload u;
            u.kind = Upload::Kind::Delete;
            u.href = link.href;
            u.ifMatch = link.etag;
            plan_.uploads.push_back(std::move(u));
            plan_.map.links.push_back(link);
            ++plan_.report.server.deleted;
            ++plan_.deletions;
            return;
        }
        case Fate::RecreateLocally:
            if (const auto reason = nameRefusal(parsed->field(PartnerField::Name))) {
                plan_.report.skipped.push_back({link.href, parsed->field(PartnerField::Name), *reason});
                return;
            }
            plan_.report.kept.push_back(fieldsOf(*parsed).name);
            createLocally(*card, *parsed);
            return;
        case Fate::RecreateOnServer:
            plan_.report.kept.push_back(local_[*here].fields.name);
            newPartner(local_[*here]);
            return;
        case Fate::Keep:
            break;
        }
        // A birthday behind is written by a merge, from the card (always read for a partner found
        // under another name, unless it went meanwhile).
        if (localState == SideState::Unchanged && serverState == SideState::Unchanged &&
            !(birthdayBehind && card)) {
            SyncLink kept = link;
            if (now == CardNow::Fetched) kept.etag = card->etag; // rewritten with the same fields
            plan_.map.links.push_back(std::move(kept));
            return;
        }
        merge(link, *partner, *card, *parsed, link.base, link.birthday, birthdayBehind);
    }

    // Both sides hold the partner: each gets what it lacks.
    void merge(const SyncLink& link, const LocalPartner& here, const ServerCard& card, VCard parsed,
               const std::optional<PartnerFields>& base, const std::optional<std::string>& baseBirthday,
               bool birthdayBehind = false) {
        const PartnerFields server = fieldsOf(parsed);
        Merged merged = mergePartner(base, here.fields, server);
        const std::string serverBirthday = parsed.birthday();
        BirthdayMerge bday = mergeBirthday(baseBirthday, here.birthday, serverBirthday, parsed.version());
        if (birthdayBehind && !bday.result.empty()) bday.toLocal = true;

        SyncLink after = link;
        after.href = card.href;
        after.etag = card.etag;
        after.uid = parsed.uid();

        // A new name from the server must be one the partner file can take.
        const std::string& oldName = here.fields.name;
        const std::string newName = localForm(PartnerField::Name, merged.result.name);
        bool renamed = newName != oldName;
        if (renamed) {
            const auto reason = nameRefusal(merged.result.name, nameKey(oldName));
            if (reason) {
                plan_.report.skipped.push_back({card.href, merged.result.name, *reason});
                // The rename waits: the base keeps the name both sides had.
                merged.result.name = base ? base->name : oldName;
                std::erase(merged.toLocal, PartnerField::Name);
                merged.localChanged = !merged.toLocal.empty();
                renamed = false;
            } else {
                heldNames_.erase(nameKey(oldName));
                heldNames_.insert(nameKey(newName));
            }
        }
        for (const FieldConflict& c : merged.conflicts)
            plan_.report.conflicts.push_back(
                {merged.result.name, c.field, c.local, c.server, base.has_value()});
        if (bday.conflict) {
            bday.conflict->partner = merged.result.name;
            plan_.report.conflicts.push_back(*bday.conflict);
        }

        after.localName = renamed ? newName : oldName;
        if (merged.localChanged || bday.toLocal) {
            LocalWrite w;
            w.kind = LocalWrite::Kind::Update;
            w.name = utf8ToCp1250(oldName);
            w.record = mergedRecord(here.fields, merged);
            // The program's rename takes the old name's days away: the birthday comes back under the new one.
            if (bday.toLocal || (renamed && !bday.result.empty())) setBirthdayWrite(w, bday.result, today_);
            plan_.local.push_back(std::move(w));
            ++plan_.report.local.changed;
        }
        if (merged.serverChanged || bday.toServer) {
            parsed.applyChanges(server, merged.result);
            parsed.setBirthday(bday.result);
            Upload u;
            u.kind = Upload::Kind::Update;
            u.href = card.href;
            u.ifMatch = card.etag;
            u.bytes = parsed.bytes();
            u.link = after;
            u.link.base = merged.result;
            u.link.birthday = bday.result;
            plan_.uploads.push_back(std::move(u));
            ++plan_.report.server.changed;
            // Until the server takes it, the link stays as it was, with the partner's name now.
            SyncLink pending = base ? link : after;
            if (!base) {
                // A first link: its base is the server's card as read, so the upload is made again.
                pending.base = server;
                pending.birthday = serverBirthday;
            }
            pending.localName = after.localName;
            plan_.map.links.push_back(std::move(pending));
            return;
        }
        after.base = merged.result;
        after.birthday = bday.result;
        plan_.map.links.push_back(std::move(after));
    }

    std::optional<SyncReport::Skipped::Reason> nameRefusal(const std::string& name,
                                                           const std::string& ownKey = {}) const {
        using R = SyncReport::Skipped::Reason;
        if (localForm(PartnerField::Name, name).empty()) return R::EmptyName;
        if (name.find(':') != std::string::npos) return R::Colon;
        const std::string key = nameKey(name);
        if (key != ownKey && heldNames_.contains(key)) return R::NameTaken;
        return std::nullopt;
    }

    void createLocally(const ServerCard& card, const VCard& parsed) {
        const PartnerFields fields = fieldsOf(parsed);
        LocalWrite w;
        w.kind = LocalWrite::Kind::Create;
        w.record = recordOfFields(fields);
        setBirthdayWrite(w, parsed.birthday(), today_);
        if (w.birthday == LocalWrite::Birthday::Remove) w.birthday = LocalWrite::Birthday::Keep;
        plan_.local.push_back(std::move(w));
        ++plan_.report.local.created;
        heldNames_.insert(nameKey(fields.name));
        plan_.map.links.push_back({card.href, card.etag, parsed.uid(),
                                   localForm(PartnerField::Name, fields.name), parsed.birthday(), fields});
    }

    // A card no link names: the partner of its name, else a new partner.
    void unlinkedCard(const std::string& href) {
        linkedHrefs_.insert(href);
        const auto f = fetched_.find(href);
        if (f == fetched_.end()) return; // gone since it was listed
        const ServerCard& card = *f->second;
        const auto parsed = VCard::parse(card.bytes);
        if (!parsed) {
            plan_.report.skipped.push_back({href, {}, SyncReport::Skipped::Reason::Unreadable});
            return;
        }
        const std::string name = parsed->field(PartnerField::Name);
        const std::string key = nameKey(name);
        for (std::size_t i = 0; i < local_.size() && !name.empty(); ++i) {
            if (linkedLocal_[i] || nameKey(local_[i].fields.name) != key) continue;
            linkedLocal_[i] = true;
            merge(SyncLink{href, card.etag, parsed->uid(), local_[i].fields.name, {}, {}}, local_[i], card,
                  *parsed, std::nullopt, std::nullopt);
            return;
        }
        if (const auto reason = nameRefusal(name)) {
            plan_.report.skipped.push_back({href, name, *reason});
            return;
        }
        createLocally(card, *parsed);
    }

    // A partner no link names goes up as a new card.
    void newPartner(const LocalPartner& p) {
        if (p.fields.name.empty()) return;
        const std::string uid = newUid_();
        Upload u;
        u.kind = Upload::Kind::Create;
        u.href = uid + ".vcf";
        const std::string bday = p.birthday ? birthdayValue(ymdOf(*p.birthday), "3.0") : std::string();
        u.bytes = cardWithBirthday(newCard(p.fields, uid, "3.0"), bday);
        u.link = {u.href, {}, uid, p.fields.name, bday, p.fields};
        plan_.uploads.push_back(std::move(u));
        ++plan_.report.server.created;
    }

    const SyncMap& map_;
    const std::vector<LocalPartner>& local_;
    const ServerListing& listing_;
    DayNumber today_;
    const std::function<std::string()>& newUid_;
    std::unordered_map<std::string, std::size_t> byName_;
    std::set<std::string> heldNames_;
    std::unordered_map<std::string, const ServerCard*> fetched_;
    std::unordered_map<std::string, std::string> listed_;
    std::set<std::string> removed_, linkedHrefs_, namedByLink_;
    std::vector<bool> linkedLocal_;
    SyncPlan plan_;
};

} // namespace

std::optional<Ymd> birthdayOf(std::string_view bday) {
    if (const auto t = bday.find('T'); t != std::string_view::npos) bday = bday.substr(0, t);
    Ymd d;
    std::string digits;
    if (bday.starts_with("--")) {
        bday.remove_prefix(2);
        for (char c : bday)
            if (c != '-') digits += c;
        if (digits.size() != 4 || !allDigits(digits)) return std::nullopt;
        d.month = number(digits.substr(0, 2));
        d.day = number(digits.substr(2, 2));
        if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > daysInMonth(2000, d.month))
            return std::nullopt;
        return d;
    }
    for (char c : bday)
        if (c != '-') digits += c;
    const bool dashed = bday.size() == 10 && bday[4] == '-' && bday[7] == '-';
    if (digits.size() != 8 || !allDigits(digits) || (bday.size() != 8 && !dashed)) return std::nullopt;
    d.year = number(digits.substr(0, 4));
    d.month = number(digits.substr(4, 2));
    d.day = number(digits.substr(6, 2));
    if (d.year < 1 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > daysInMonth(d.year, d.month))
        return std::nullopt;
    return d;
}

std::string birthdayValue(const Ymd& date, std::string_view version) {
    const bool v4 = version == "4.0";
    if (date.year == 0) return "--" + twoDigits(date.month) + (v4 ? "" : "-") + twoDigits(date.day);
    const std::string year = std::to_string(date.year);
    const std::string y = std::string(4 - std::min<std::size_t>(4, year.size()), '0') + year;
    return v4 ? y + twoDigits(date.month) + twoDigits(date.day)
              : y + "-" + twoDigits(date.month) + "-" + twoDigits(date.day);
}

DayNumber birthdayRecordDay(const Ymd& date, DayNumber today) {
    if (date.year != 0) return dayNumber(date.year, date.month, date.day);
    const int year = ymdOf(today).year;
    const auto placed = [&](int y) {
        const int day = date.month == 2 && date.day == 29 && !isLeapYear(y) ? 28 : date.day;
        return dayNumber(y, date.month, day);
    };
    return placed(year) >= today ? placed(year) : placed(year + 1);
}

std::vector<std::string> cardsToFetch(const SyncMap& map, const std::vector<LocalPartner>& local,
                                      const ServerListing& listing) {
    std::unordered_map<std::string, const SyncLink*> byHref;
    for (const SyncLink& l : map.links)
        byHref.emplace(l.href, &l);
    std::set<std::string> removed(listing.removed.begin(), listing.removed.end());
    std::set<std::string> want;
    for (const ListedCard& c : listing.changed) {
        const auto it = byHref.find(c.href);
        if (it == byHref.end() || it->second->etag != c.etag) want.insert(c.href);
    }
    std::unordered_map<std::string, const LocalPartner*> byName;
    for (const LocalPartner& p : local)
        byName.emplace(p.fields.name, &p);
    for (const SyncLink& l : map.links) {
        if (removed.contains(l.href)) continue;
        const auto it = byName.find(l.localName);
        // Gone here, or renamed without the map: the card tells which.
        if (it == byName.end()) {
            want.insert(l.href);
            continue;
        }
        if (localChangedSince(l.base, it->second->fields) ||
            !localBirthdayAgrees(l.birthday, it->second->birthday))
            want.insert(l.href);
    }
    return {want.begin(), want.end()};
}

SyncPlan planSync(const SyncMap& map, const std::vector<LocalPartner>& local, const ServerListing& listing,
                  const std::vector<ServerCard>& fetched, DayNumber today,
                  const std::function<std::string()>& newUid) {
    return Planner(map, local, listing, fetched, today, newUid).run();
}

} // namespace zel
