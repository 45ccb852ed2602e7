#pragma once

// Checks shared by the harnesses of the contact readers and writers.

#include "fuzz_util.h"

#include "core/exchange/contacts.h"

#include "byte_source.h"

#include <vector>

namespace zel::fuzz {

inline bool lineBreaksAreCrLf(const std::string& s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' && (i + 1 == s.size() || s[i + 1] != '\n')) return false;
        if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) return false;
    }
    return true;
}

inline bool hasAnyField(const PartnerRecord& r) {
    return !(r == PartnerRecord{});
}

inline std::vector<const std::string*> fieldsOf(const PartnerRecord& r) {
    return {&r.name, &r.email, &r.phone, &r.mobile, &r.webAddress, &r.address, &r.note};
}

// What every reader promises of the contacts it gives: something in each, line breaks as the
// partner file keeps them, and a trip through our own vCard export gives them back.
inline void checkContacts(const ContactsRead& read) {
    for (const PartnerRecord& c : read.contacts) {
        ZEL_CHECK(hasAnyField(c));
        for (const std::string* f : fieldsOf(c))
            ZEL_CHECK(lineBreaksAreCrLf(*f));
    }
    const ContactsRead back = readVCard(writeVCard(read.contacts));
    ZEL_CHECK(back.damaged == 0);
    ZEL_CHECK(back.contacts == read.contacts);
}

// Every line break as CR LF, as a grid row taken from the partner file has them.
inline std::string crLf(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' || s[i] == '\n') {
            out += "\r\n";
            if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Rows for the writers, made of the input's bytes.
inline std::vector<PartnerRecord> rowsFrom(ByteSource& fdp) {
    std::vector<PartnerRecord> rows;
    while (fdp.remaining_bytes() > 0 && rows.size() < 64) {
        PartnerRecord r;
        for (std::string* f : {&r.name, &r.email, &r.phone, &r.mobile, &r.webAddress, &r.address, &r.note})
            *f = crLf(fdp.ConsumeRandomLengthString(300));
        rows.push_back(std::move(r));
    }
    return rows;
}

inline std::vector<PartnerRecord> withAnyField(const std::vector<PartnerRecord>& rows) {
    std::vector<PartnerRecord> out;
    for (const auto& r : rows)
        if (hasAnyField(r)) out.push_back(r);
    return out;
}

} // namespace zel::fuzz
