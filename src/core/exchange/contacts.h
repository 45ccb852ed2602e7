#pragma once

#include "core/partners/partner_record.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// Reading address-book exports of other programs and writing our own. A contact is a PartnerRecord
// whose texts are Windows-1250 and not yet cut to their capacities; a multi-line text keeps its line
// breaks as CR LF, as the partner file holds them.

enum class ExchangeFormat { Unknown, VCard, Csv, Ldif };

// By the file name's extension, without regard to case: ".vcf"/".vcard", ".csv", ".ldif"/".ldi".
ExchangeFormat formatOfFileName(std::string_view fileName);

// Import files are UTF-8 when their bytes are valid UTF-8 (a BOM is dropped), else Windows-1250.
// The result is Windows-1250; a character it cannot hold becomes '?'.
std::string importTextToCp1250(std::string_view bytes);

// What a reader made of a file: the contacts read whole, in file order, and how many records it had
// to skip because they were cut off or could not be read.
struct ContactsRead {
    std::vector<PartnerRecord> contacts;
    std::size_t damaged = 0;
};

// Every BEGIN:VCARD … END:VCARD block of a vCard 2.1, 3.0 or 4.0 file.
ContactsRead readVCard(std::string_view bytes);

// LDIF records, separated by blank lines.
ContactsRead readLdif(std::string_view bytes);

// The first line after the header record, Windows-1250, as the separator question shows it.
std::string csvFirstDataLine(std::string_view bytes);
// A delimited text file whose first record is its header. `separator` is a Windows-1250 byte.
ContactsRead readCsv(std::string_view bytes, char separator);

// The export's header and rows, UTF-8 with a BOM, CR LF line ends. `separator` is Windows-1250.
std::string writeCsv(const std::vector<PartnerRecord>& rows, char separator);
// vCard 3.0, UTF-8, one card per row, so that readVCard gives the same rows back.
std::string writeVCard(const std::vector<PartnerRecord>& rows);

} // namespace zel
