// Delimited text files as spreadsheets and address books export them; the first byte is the
// separator the user gives, and the separator is also guessed. Our own export of any rows, with that
// separator, is read back.
#include "fuzz_contacts.h"

#include "core/exchange/exchange_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zel;
    if (size == 0) return 0;
    const char separator = static_cast<char>(data[0]);
    const std::string_view file(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::string firstLine = csvFirstDataLine(file);
    ZEL_CHECK(firstLine.find_first_of("\r\n") == std::string::npos);
    const ContactsRead read = readCsv(file, separator);
    ZEL_CHECK(read.damaged <= 1); // only the record at the end can be cut off
    fuzz::checkContacts(read);

    fuzz::ByteSource fdp(data + 1, size - 1);
    const std::vector<PartnerRecord> rows = fuzz::rowsFrom(fdp);
    const std::string out = writeCsv(rows, separator);
    // A guess is one of the four, and our own export is always known again.
    if (const std::optional<char> guessed = csvSeparator(file, std::nullopt))
        ZEL_CHECK(*guessed == ';' || *guessed == ',' || *guessed == '\t' || *guessed == '|');
    ZEL_CHECK(csvSeparator(writeCsv(rows, ','), std::nullopt) == ',');
    ZEL_CHECK(out.starts_with("\xEF\xBB\xBF") && exchange::isUtf8(out));
    // A quote or a line break as the separator leaves no way to tell the cells apart.
    if (separator != '"' && separator != '\r' && separator != '\n') {
        const ContactsRead back = readCsv(out, separator);
        ZEL_CHECK(back.damaged == 0);
        ZEL_CHECK(back.contacts == fuzz::withAnyField(rows));
        ZEL_CHECK(readCsv(writeCsv(read.contacts, separator), separator).contacts == read.contacts);
    }
    return 0;
}
