#pragma once

#include "core/exchange/vcard_text.h"
#include "core/sync/partner_fields.h"

#include "core/partners/partner_record.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// One vCard as a CardDAV server holds it, kept so that a round trip loses nothing: every content
// line keeps its exact bytes (folding and line ends included) until Zelmoran changes that very line.

class VCard {
  public:
    // A content line as read: group and name (upper case) apart, the parameters as written (the text
    // after the name, from its ';' on), the value unfolded but neither unescaped nor decoded.
    struct Property {
        std::string group, name, parameters, value;
    };

    // One BEGIN:VCARD … END:VCARD block; blank lines and a byte order mark around it are kept. Names of
    // any case, LF or CR LF line ends and a missing last line end are taken. nullopt for anything else.
    static std::optional<VCard> parse(std::string_view utf8);

    // The card's bytes: exactly the parsed ones while nothing was changed.
    std::string bytes() const;

    std::string version() const; // VERSION's value, trimmed
    std::string uid() const;     // unescaped, UTF-8
    // The card's own content lines (a nested card's lines left out), in order.
    std::vector<Property> properties() const;

    // The field as the vCard importer reads it: FN (else N in Hungarian order), the preferred EMAIL,
    // TEL with TYPE=CELL (mobile) or without (phone), URL, ADR (else LABEL), and NOTE; the preferred
    // one of each, else the first.
    std::string field(PartnerField f) const;

    // Changes only the line the field was read from, keeping its group and parameters (but for an
    // ENCODING or CHARSET, which the new plain UTF-8 value no longer has); without such a line a new
    // one goes before END:VCARD. An empty value removes that one line. The name rewrites FN and N
    // together (family name first: "Kovács Béla" gives N:Kovács;Béla;;;) and, as both are required,
    // empties them instead of removing them. A value equal to the field's present one changes nothing.
    void setField(PartnerField f, std::string_view utf8);

    // The first BDAY's value as written (unfolded, trimmed); empty without one.
    std::string birthday() const;
    // Replaces that line's value, keeping its group and parameters; adds "BDAY:" before END:VCARD
    // without one; empty removes it.
    void setBirthday(std::string_view value);

    // setField for each field that differs between `before` and `after`: a field the user left alone
    // is never written, so a value cut for the partner file never reaches the server.
    void applyChanges(const PartnerFields& before, const PartnerFields& after);

  private:
    using Encoding = exchange::ValueEncoding;
    // The header's parameters as the importer reads them.
    struct Line : exchange::ContentHeader {
        std::string raw;      // exact bytes, folding and line end included
        bool content = false; // a header and a value; blank lines and stray text are kept as they are
        bool nested = false;  // inside a card nested in this one
        bool v21 = false;     // read after a VERSION of 2.1: folds keep their space, no escapes
        std::string header, value, eol;
    };
    struct Mapping;

    Mapping mapping() const;
    void replaceLine(std::size_t index, std::string_view value);
    void insertLine(std::string_view logical);
    void setName(std::string_view utf8);

    std::string prefix_, suffix_; // what comes before BEGIN and after END
    std::vector<Line> lines_;
    std::string eol_ = "\r\n"; // for new lines, as the card's BEGIN line ends
};

PartnerFields fieldsOf(const VCard& card);

// The partner record the card gives: Windows-1250, each field cut to its capacity.
PartnerRecord partnerOf(const VCard& card);

// The fields as they are stored in the partner file.
PartnerRecord cutToPartner(const PartnerFields& fields);

// A new card for a partner made in Zelmoran: VERSION, UID, FN and N, then each field that is not
// empty; CR LF line ends, lines folded at 75 octets. `version` is "3.0" or "4.0".
std::string newCard(const PartnerFields& fields, std::string_view uid, std::string_view version = "3.0");

} // namespace zel
