#pragma once

#include "core/partners/partner_record.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// Reading address-book exports of other programs and writing our own. A contact is a PartnerRecord
// whose texts are Windows-1250 and not yet cut to their capacities; a multi-line text keeps its line
// breaks as CR LF, as the partner file holds them.

enum class ExchangeFormat { Unknown, VCard, Csv, Ldif };

// No address book comes near this; a larger file is some other file chosen by mistake, and reading it
// whole would only exhaust the memory.
constexpr std::uint64_t kMaxImportFileBytes = 256ull << 20;

// By the file name's extension (after the last '.' of its last component), without regard to case:
// ".vcf"/".vcard", ".csv", ".ldif"/".ldi".
ExchangeFormat formatOfFileName(std::string_view fileName);

// Import files are UTF-8 when their bytes are valid UTF-8, else Windows-1250. A UTF-8 byte order mark
// is dropped and keeps the text UTF-8 even when a stray byte spoils it (that byte becomes '?').
// The result is Windows-1250; a character it cannot hold becomes '?'.
std::string importTextToCp1250(std::string_view bytes);

// Whether the bytes are text at all, so that a program or a picture chosen by mistake is refused
// instead of read as junk contacts: no NUL nor other control character but TAB, LF, FF and CR (a DOS
// end-of-file mark may close the file), and, unless the text is UTF-8 as above, none of the bytes
// that Windows-1250 leaves undefined. UTF-8's control characters U+0080 to U+009F count as controls.
bool isImportText(std::string_view bytes);

// What a reader made of a file: the contacts read whole, in file order, and how many records it had
// to skip because they were cut off or could not be read.
struct ContactsRead {
    std::vector<PartnerRecord> contacts;
    std::size_t damaged = 0;
};

// Every BEGIN:VCARD … END:VCARD block of a vCard 2.1, 3.0 or 4.0 file: FN (else N, in Hungarian
// order), EMAIL, TEL (cell → Mobile, others → Phone), URL, ADR (else LABEL), NOTE; the preferred one
// of each, else the first. A card cut off (no END, or a quoted-printable value cut short) is damaged;
// a card with no usable field is left out quietly.
ContactsRead readVCard(std::string_view bytes);

// LDIF records, separated by blank lines: cn (else the DN's cn=), mail (else the DN's mail=), the
// phones, URLs, the postal or the pieced address, description. Records with neither a name nor an
// e-mail address, and mailing lists, are left out; a record with bad base64 or a line that is no
// attribute is damaged.
ContactsRead readLdif(std::string_view bytes);

// The separator a delimited text is read with: `given` when there is one, else the one of ';', ',',
// TAB and '|' that splits the header record into the most columns (quoted parts aside; the earlier
// of the list on a tie). nullopt when the header record does not split into at least two columns with
// it: that is no address book's export. `given` is a Windows-1250 byte.
std::optional<char> csvSeparator(std::string_view bytes, std::optional<char> given);
// The first line after the header record, Windows-1250, as the separator question shows it.
std::string csvFirstDataLine(std::string_view bytes);
// A delimited text file whose first record is its header. `separator` is a Windows-1250 byte. A field
// that begins with a quote is read to its closing quote; others are taken as they stand. Columns go
// by their header names when the header is one that address books write (ours, Google's, Outlook's,
// generic Hungarian or English names), else by position in the order of the partner fields. A quoted
// field cut off at the end makes its record damaged.
ContactsRead readCsv(std::string_view bytes, char separator);

// The contacts of a file in the given format, read by its reader above; a CSV file with `separator`
// (a Windows-1250 byte). An unknown format gives none.
ContactsRead readContacts(ExchangeFormat format, std::string_view bytes, char separator);

// The export's header and rows, UTF-8 with a BOM, CR LF line ends. `separator` is Windows-1250. A cell
// is quoted only when it holds the separator or a line break, or begins with a quote.
std::string writeCsv(const std::vector<PartnerRecord>& rows, char separator);
// vCard 3.0, UTF-8, one card per row that has any field, so that readVCard gives the same rows back
// (line breaks as CR LF). The whole address goes into ADR's street.
std::string writeVCard(const std::vector<PartnerRecord>& rows);

} // namespace zel
