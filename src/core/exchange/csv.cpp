#include "core/exchange/contacts.h"
#include "core/exchange/exchange_text.h"
#include "core/text/cp1250.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <unordered_map>

namespace zel {
namespace {

using namespace exchange;

// One record of a delimited text, quotes taken off.
struct CsvRecord {
    std::vector<std::string> fields;
    bool cutOff = false; // a quoted field ran to the end of the file

    bool allEmpty() const {
        for (const auto& f : fields)
            if (!f.empty()) return false;
        return true;
    }
};

class CsvParser {
  public:
    CsvParser(std::string_view text, char separator) : text_(text), sep_(separator) {}

    bool next(CsvRecord& rec) {
        rec.fields.clear();
        rec.cutOff = false;
        if (at_ >= text_.size()) return false;
        for (;;) {
            std::string field;
            // A quote can open a field only when it is not itself the separator.
            if (at_ < text_.size() && text_[at_] == '"' && sep_ != '"') {
                if (!readQuoted(field)) {
                    rec.fields.push_back(std::move(field));
                    rec.cutOff = true;
                    return true;
                }
            }
            readPlain(field);
            rec.fields.push_back(std::move(field));
            if (at_ < text_.size() && text_[at_] == sep_) {
                ++at_;
                continue;
            }
            // A line end, or the end of the text.
            if (at_ < text_.size() && text_[at_] == '\r') ++at_;
            if (at_ < text_.size() && text_[at_] == '\n') ++at_;
            return true;
        }
    }

  private:
    // From the opening quote to the closing one; false when the text ends first.
    bool readQuoted(std::string& field) {
        ++at_;
        for (;;) {
            const auto quote = text_.find('"', at_);
            const std::size_t end = quote == std::string_view::npos ? text_.size() : quote;
            field += withCrLf(text_.substr(at_, end - at_));
            if (quote == std::string_view::npos) {
                at_ = text_.size();
                return false;
            }
            at_ = quote + 1;
            if (at_ < text_.size() && text_[at_] == '"' && sep_ != '"') {
                field += '"';
                ++at_;
                continue;
            }
            return true;
        }
    }

    // Up to the separator or the line's end, as it stands.
    void readPlain(std::string& field) {
        const std::size_t start = at_;
        while (at_ < text_.size() && text_[at_] != sep_ && text_[at_] != '\r' && text_[at_] != '\n')
            ++at_;
        field.append(text_, start, at_ - start);
    }

    std::string_view text_;
    char sep_;
    std::size_t at_ = 0;
};

// Header names are compared trimmed and in small letters, accented capitals included.
std::string headerKey(std::string_view cell) {
    std::string key(trimmed(cell));
    for (char& c : key) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 'A' && b <= 'Z')
            c = static_cast<char>(b + 0x20);
        else if (b >= 0xC0 && b <= 0xDE && b != 0xD7)
            c = static_cast<char>(b + 0x20);
        else if (b == 0x8A || b == 0x8C || b == 0x8D || b == 0x8E || b == 0x8F)
            c = static_cast<char>(b + 0x10);
    }
    return key;
}

enum class Role {
    None,
    FullName,
    Given,
    Middle,
    Family,
    Company, // the name of a contact that is a firm
    Email,
    Phone,
    Mobile,
    TypedPhone, // Google's phone value: mobile or landline by its type column
    Type,       // Google's type or label of a phone
    Web,
    Address,
    Note,
    PostalCode, // the pieces of an address kept in separate columns
    Locality,
    Street,
    Region,
    Country,
};

struct Column {
    Role role = Role::None;
    int rank = 0;            // the lowest-ranked non-empty cell of a field wins
    int group = 0;           // pieces of one address, or a Google phone with its type
    bool firstValue = false; // Google joins several values with " ::: "
    bool lines = false;      // an address laid out on several lines
    int typeColumn = -1;     // where a Google phone's type is
};

bool isNameRole(Role r) {
    return r == Role::FullName || r == Role::Given || r == Role::Middle || r == Role::Family;
}

const std::unordered_map<std::string, Column>& knownHeaders() {
    static const auto table = [] {
        struct Entry {
            const char* utf8;
            Column column;
        };
        const Entry entries[] = {
            // Our own export and the generic names in Hungarian and English.
            {"név", {Role::FullName}},
            {"teljes név", {Role::FullName}},
            {"megjelenítendő név", {Role::FullName, 1}},
            {"name", {Role::FullName}},
            {"full name", {Role::FullName}},
            {"display name", {Role::FullName, 1}},
            {"e-mail", {Role::Email}},
            {"email", {Role::Email}},
            {"e-mail cím", {Role::Email}},
            {"e-mail address", {Role::Email}},
            {"email address", {Role::Email}},
            {"e-mail 2 address", {Role::Email, 2}},
            {"e-mail 3 address", {Role::Email, 3}},
            {"telefon", {Role::Phone}},
            {"telefonszám", {Role::Phone}},
            {"phone", {Role::Phone}},
            {"mobil", {Role::Mobile}},
            {"mobilszám", {Role::Mobile}},
            {"mobile", {Role::Mobile}},
            {"honlap", {Role::Web}},
            {"web", {Role::Web}},
            {"website", {Role::Web}},
            {"cím", {Role::Address}},
            {"address", {Role::Address}},
            {"megjegyzés", {Role::Note}},
            {"notes", {Role::Note}},
            {"note", {Role::Note}},
            // Outlook, in English and in Hungarian.
            {"first name", {Role::Given}},
            {"given name", {Role::Given}},
            {"utónév", {Role::Given}},
            {"keresztnév", {Role::Given}},
            {"middle name", {Role::Middle}},
            {"additional name", {Role::Middle}},
            {"középső név", {Role::Middle}},
            {"last name", {Role::Family}},
            {"family name", {Role::Family}},
            {"vezetéknév", {Role::Family}},
            {"company", {Role::Company}},
            {"cég", {Role::Company}},
            {"organization name", {Role::Company}},
            {"organization 1 - name", {Role::Company}},
            {"primary phone", {Role::Phone, 1}},
            {"elsődleges telefon", {Role::Phone, 1}},
            {"home phone", {Role::Phone, 2}},
            {"otthoni telefon", {Role::Phone, 2}},
            {"business phone", {Role::Phone, 3}},
            {"üzleti telefon", {Role::Phone, 3}},
            {"mobile phone", {Role::Mobile, 1}},
            {"mobiltelefon", {Role::Mobile, 1}},
            {"web page", {Role::Web, 1}},
            {"weblap", {Role::Web, 1}},
            {"jegyzetek", {Role::Note}},
            {"home street", {Role::Street, 50, 1}},
            {"otthoni utca", {Role::Street, 50, 1}},
            {"home city", {Role::Locality, 50, 1}},
            {"otthoni város", {Role::Locality, 50, 1}},
            {"home state", {Role::Region, 50, 1}},
            {"otthoni megye", {Role::Region, 50, 1}},
            {"home postal code", {Role::PostalCode, 50, 1}},
            {"otthoni irányítószám", {Role::PostalCode, 50, 1}},
            {"home country/region", {Role::Country, 50, 1}},
            {"otthoni ország/régió", {Role::Country, 50, 1}},
            {"business street", {Role::Street, 51, 2}},
            {"munkahelyi utca", {Role::Street, 51, 2}},
            {"business city", {Role::Locality, 51, 2}},
            {"munkahelyi város", {Role::Locality, 51, 2}},
            {"business state", {Role::Region, 51, 2}},
            {"munkahelyi megye", {Role::Region, 51, 2}},
            {"business postal code", {Role::PostalCode, 51, 2}},
            {"munkahelyi irányítószám", {Role::PostalCode, 51, 2}},
            {"business country/region", {Role::Country, 51, 2}},
            {"munkahelyi ország/régió", {Role::Country, 51, 2}},
        };
        std::unordered_map<std::string, Column> m;
        for (const auto& e : entries)
            m.emplace(headerKey(utf8ToCp1250(e.utf8)), e.column);
        return m;
    }();
    return table;
}

// Google's numbered columns: "E-mail 1 - Value", "Phone 2 - Type", "Address 1 - Formatted" …
Column googleColumn(std::string_view key) {
    const auto dash = key.find(" - ");
    if (dash == std::string_view::npos) return {};
    const std::string_view left = key.substr(0, dash), what = key.substr(dash + 3);
    const auto space = left.rfind(' ');
    if (space == std::string_view::npos) return {};
    const std::string_view kind = left.substr(0, space), number = left.substr(space + 1);
    int n = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), n);
    if (ec != std::errc() || end != number.data() + number.size() || n < 1 || n > 1000) return {};

    if (kind == "e-mail" && what == "value") return {Role::Email, 10 + n, 0, true};
    if (kind == "phone" && what == "value") return {Role::TypedPhone, 10 + n, n, true};
    if (kind == "phone" && (what == "type" || what == "label")) return {Role::Type, 0, n};
    if (kind == "website" && what == "value") return {Role::Web, 10 + n, 0, true};
    if (kind == "address") {
        // The formatted form first, then the pieces of the same address.
        const int rank = 10 + 2 * n, group = 100 + n;
        if (what == "formatted") return {Role::Address, rank, 0, true, true};
        if (what == "street") return {Role::Street, rank + 1, group, true};
        if (what == "city") return {Role::Locality, rank + 1, group, true};
        if (what == "postal code") return {Role::PostalCode, rank + 1, group, true};
        if (what == "region") return {Role::Region, rank + 1, group, true};
        if (what == "country") return {Role::Country, rank + 1, group, true};
    }
    return {};
}

// Columns by their names when the header is one that address books write, else by position.
std::vector<Column> mapColumns(const std::vector<std::string>& header) {
    std::vector<Column> cols;
    bool hasName = false, hasOther = false;
    for (const std::string& cell : header) {
        const std::string key = headerKey(cell);
        const auto it = knownHeaders().find(key);
        const Column c = it != knownHeaders().end() ? it->second : googleColumn(key);
        hasName = hasName || isNameRole(c.role);
        hasOther = hasOther || (c.role != Role::None && c.role != Role::Type && !isNameRole(c.role));
        cols.push_back(c);
    }
    if (hasName && hasOther) {
        std::unordered_map<int, int> typeColumns;
        for (std::size_t i = 0; i < cols.size(); ++i)
            if (cols[i].role == Role::Type) typeColumns.emplace(cols[i].group, static_cast<int>(i));
        for (Column& c : cols)
            if (c.role == Role::TypedPhone)
                if (const auto it = typeColumns.find(c.group); it != typeColumns.end())
                    c.typeColumn = it->second;
        return cols;
    }

    static constexpr Role kByPosition[] = {Role::FullName, Role::Email,   Role::Phone, Role::Mobile,
                                           Role::Web,      Role::Address, Role::Note};
    cols.assign(std::size(kByPosition), Column{});
    for (std::size_t i = 0; i < cols.size(); ++i)
        cols[i].role = kByPosition[i];
    return cols;
}

std::string_view firstValue(std::string_view cell) {
    const auto sep = cell.find(" ::: ");
    return sep == std::string_view::npos ? cell : cell.substr(0, sep);
}

bool isMobileType(std::string_view type) {
    type = trimmed(type);
    if (type.starts_with("* ")) type = trimmed(type.substr(2)); // Google marks the primary one
    return equalsNoCase(type, "mobile") || equalsNoCase(type, "mobil") || equalsNoCase(type, "cell");
}

struct Best {
    std::string text;
    int rank = INT_MAX;

    bool better(int r) const { return r < rank; }
    void offer(std::string_view t, int r) {
        if (!t.empty() && r < rank) text = t, rank = r;
    }
};

struct AddressPieces {
    int group = 0, rank = 0;
    std::string_view code, locality, street, region, country;
};

PartnerRecord contactOf(const CsvRecord& rec, const std::vector<Column>& cols) {
    Best fullName, given, middle, family, company, email, phone, mobile, web, address, note;
    std::vector<AddressPieces> pieces;
    const std::size_t n = std::min(cols.size(), rec.fields.size());
    for (std::size_t i = 0; i < n; ++i) {
        const Column& c = cols[i];
        std::string_view cell = rec.fields[i];
        if (c.firstValue) cell = firstValue(cell);
        switch (c.role) {
        case Role::None:
        case Role::Type:
            break;
        case Role::FullName:
            fullName.offer(cell, c.rank);
            break;
        case Role::Given:
            given.offer(trimmed(cell), c.rank);
            break;
        case Role::Middle:
            middle.offer(trimmed(cell), c.rank);
            break;
        case Role::Family:
            family.offer(trimmed(cell), c.rank);
            break;
        case Role::Company:
            company.offer(trimmed(cell), c.rank);
            break;
        case Role::Email:
            email.offer(cell, c.rank);
            break;
        case Role::Phone:
            phone.offer(cell, c.rank);
            break;
        case Role::Mobile:
            mobile.offer(cell, c.rank);
            break;
        case Role::TypedPhone: {
            const bool isMobile = c.typeColumn >= 0 &&
                                  static_cast<std::size_t>(c.typeColumn) < rec.fields.size() &&
                                  isMobileType(rec.fields[static_cast<std::size_t>(c.typeColumn)]);
            (isMobile ? mobile : phone).offer(cell, c.rank);
            break;
        }
        case Role::Web:
            web.offer(cell, c.rank);
            break;
        case Role::Note:
            note.offer(cell, c.rank);
            break;
        case Role::Address:
            if (c.lines && address.better(c.rank))
                address.offer(linesJoined(cell), c.rank);
            else
                address.offer(cell, c.rank);
            break;
        case Role::PostalCode:
        case Role::Locality:
        case Role::Street:
        case Role::Region:
        case Role::Country: {
            AddressPieces* p = nullptr;
            for (auto& q : pieces)
                if (q.group == c.group) p = &q;
            if (!p) p = &pieces.emplace_back(AddressPieces{c.group, c.rank, {}, {}, {}, {}, {}});
            const std::string_view t = trimmed(cell);
            (c.role == Role::PostalCode ? p->code
             : c.role == Role::Locality ? p->locality
             : c.role == Role::Street   ? p->street
             : c.role == Role::Region   ? p->region
                                        : p->country) = t;
            break;
        }
        }
    }
    for (const auto& p : pieces)
        if (address.better(p.rank))
            address.offer(hungarianAddress(p.code, p.locality, linesJoined(p.street), p.region, p.country),
                          p.rank);

    PartnerRecord r;
    r.name = fullName.rank != INT_MAX ? std::move(fullName.text)
                                      : joinNonEmpty({family.text, given.text, middle.text}, " ");
    if (r.name.empty()) r.name = std::move(company.text);
    r.email = std::move(email.text);
    r.phone = std::move(phone.text);
    r.mobile = std::move(mobile.text);
    r.webAddress = std::move(web.text);
    r.address = std::move(address.text);
    r.note = std::move(note.text);
    return r;
}

bool hasAnyField(const PartnerRecord& r) {
    return !r.name.empty() || !r.email.empty() || !r.phone.empty() || !r.mobile.empty() ||
           !r.webAddress.empty() || !r.address.empty() || !r.note.empty();
}

} // namespace

std::optional<char> csvSeparator(std::string_view bytes, std::optional<char> given) {
    const std::string text = importTextToCp1250(bytes);
    // The columns of the first record that is not empty, as readCsv takes its header.
    const auto headerColumns = [&](char separator) -> std::size_t {
        CsvParser parser(text, separator);
        CsvRecord rec;
        while (parser.next(rec))
            if (!rec.allEmpty()) return rec.fields.size();
        return 0;
    };
    if (given) return headerColumns(*given) >= 2 ? given : std::nullopt;
    std::optional<char> best;
    std::size_t most = 1;
    for (const char candidate : {';', ',', '\t', '|'})
        if (const std::size_t n = headerColumns(candidate); n > most) best = candidate, most = n;
    return best;
}

std::string csvFirstDataLine(std::string_view bytes) {
    const std::string text = importTextToCp1250(bytes);
    std::string_view rest = text;
    int nonEmpty = 0;
    while (!rest.empty()) {
        std::size_t end = rest.find_first_of("\r\n");
        if (end == std::string_view::npos) end = rest.size();
        const std::string_view line = rest.substr(0, end);
        if (!line.empty() && ++nonEmpty == 2) return std::string(line);
        rest.remove_prefix(end);
        if (rest.starts_with("\r\n"))
            rest.remove_prefix(2);
        else if (!rest.empty())
            rest.remove_prefix(1);
    }
    return {};
}

ContactsRead readCsv(std::string_view bytes, char separator) {
    const std::string text = importTextToCp1250(bytes);
    CsvParser parser(text, separator);
    ContactsRead out;
    CsvRecord rec;
    std::vector<Column> cols;
    bool haveHeader = false;
    while (parser.next(rec)) {
        if (rec.cutOff) {
            ++out.damaged;
            break;
        }
        if (rec.allEmpty()) continue;
        if (!haveHeader) {
            cols = mapColumns(rec.fields);
            haveHeader = true;
            continue;
        }
        PartnerRecord contact = contactOf(rec, cols);
        if (hasAnyField(contact)) out.contacts.push_back(std::move(contact));
    }
    return out;
}

std::string writeCsv(const std::vector<PartnerRecord>& rows, char separator) {
    std::string text;
    const auto cell = [&](std::string_view c, bool last) {
        if (c.find(separator) != std::string_view::npos ||
            c.find_first_of("\r\n") != std::string_view::npos || c.starts_with('"')) {
            text += '"';
            for (char ch : c) {
                if (ch == '"') text += '"';
                text += ch;
            }
            text += '"';
        } else {
            text += c;
        }
        text += last ? std::string_view("\r\n") : std::string_view(&separator, 1);
    };
    static const char* const kHeader[] = {"Név", "E-mail", "Telefon", "Mobil", "Honlap", "Cím", "Megjegyzés"};
    for (std::size_t i = 0; i < std::size(kHeader); ++i)
        cell(utf8ToCp1250(kHeader[i]), i + 1 == std::size(kHeader));
    for (const PartnerRecord& r : rows) {
        cell(r.name, false);
        cell(r.email, false);
        cell(r.phone, false);
        cell(r.mobile, false);
        cell(r.webAddress, false);
        cell(r.address, false);
        cell(r.note, true);
    }
    return "\xEF\xBB\xBF" + cp1250ToUtf8(text);
}

} // namespace zel
