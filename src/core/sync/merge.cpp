#include "core/sync/merge.h"

namespace zel {

namespace {

// The local value agrees with the server's: equal, or what storing the server's value makes of it.
bool agrees(PartnerField f, const std::string& local, const std::string& server) {
    return local == server || local == localForm(f, server);
}

std::string mergedValue(PartnerField f, const std::optional<PartnerFields>& base, const std::string& local,
                        const std::string& server, std::vector<FieldConflict>& conflicts) {
    if (!base) {
        if (local.empty() || agrees(f, local, server)) return server;
        if (server.empty()) return local;
        conflicts.push_back({f, local, server});
        return local;
    }
    const std::string& was = fieldOf(*base, f);
    if (agrees(f, local, was)) return server;
    if (server == was) return local;
    if (!agrees(f, local, server)) conflicts.push_back({f, local, server});
    return server;
}

} // namespace

std::string localForm(PartnerField f, const std::string& value) {
    return cp1250ToUtf8(utf8ToCp1250(value).substr(0, fieldCapacity(f)));
}

bool localChangedSince(const PartnerFields& base, const PartnerFields& local) {
    for (PartnerField f : kPartnerFields)
        if (!agrees(f, fieldOf(local, f), fieldOf(base, f))) return true;
    return false;
}

bool serverChangedSince(const PartnerFields& base, const PartnerFields& server) {
    return server != base;
}

Merged mergePartner(const std::optional<PartnerFields>& base, const PartnerFields& local,
                    const PartnerFields& server) {
    Merged m;
    for (PartnerField f : kPartnerFields) {
        const std::string& here = fieldOf(local, f);
        const std::string& there = fieldOf(server, f);
        std::string& value = fieldOf(m.result, f);
        value = mergedValue(f, base, here, there, m.conflicts);
        if (here != localForm(f, value)) m.toLocal.push_back(f);
        if (there != value) m.toServer.push_back(f);
    }
    m.localChanged = !m.toLocal.empty();
    m.serverChanged = !m.toServer.empty();
    return m;
}

Fate fateOf(SideState local, SideState server) {
    if (local == SideState::Deleted && server == SideState::Deleted) return Fate::Forget;
    if (local == SideState::Deleted)
        return server == SideState::Changed ? Fate::RecreateLocally : Fate::DeleteOnServer;
    if (server == SideState::Deleted)
        return local == SideState::Changed ? Fate::RecreateOnServer : Fate::DeleteLocally;
    return Fate::Keep;
}

bool needsDeletionConfirmation(std::size_t deletions, std::size_t partners) {
    return deletions > 10 || deletions * 4 > partners;
}

} // namespace zel
