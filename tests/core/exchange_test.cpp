#include "core/exchange/contacts.h"
#include "core/text/cp1250.h"
#include "support/test_util.h"

#include <gtest/gtest.h>
#include <ostream>

namespace zel {
// Contacts print their fields in UTF-8, so a failure shows readable names.
void PrintTo(const PartnerRecord& r, std::ostream* os) {
    *os << "{" << cp1250ToUtf8(r.name) << " | " << cp1250ToUtf8(r.email) << " | " << cp1250ToUtf8(r.phone)
        << " | " << cp1250ToUtf8(r.mobile) << " | " << cp1250ToUtf8(r.webAddress) << " | "
        << cp1250ToUtf8(r.address) << " | " << cp1250ToUtf8(r.note) << "}";
}
bool operator==(const ContactsRead& a, const ContactsRead& b) {
    return a.contacts == b.contacts && a.damaged == b.damaged;
}
void PrintTo(const ContactsRead& r, std::ostream* os) {
    *os << r.damaged << " damaged, " << testing::PrintToString(r.contacts);
}
} // namespace zel

using namespace zel;
using zel::test::cp;
using Contacts = std::vector<PartnerRecord>;

namespace {

// A contact given in UTF-8 as name, email, phone, mobile, web address, address and note, held in
// Windows-1250.
PartnerRecord contact(std::initializer_list<const char*> utf8) {
    static constexpr std::string PartnerRecord::*fields[] = {
        &PartnerRecord::name,       &PartnerRecord::email,   &PartnerRecord::phone, &PartnerRecord::mobile,
        &PartnerRecord::webAddress, &PartnerRecord::address, &PartnerRecord::note};
    PartnerRecord r;
    auto field = std::begin(fields);
    for (const char* text : utf8)
        r.*(*field++) = cp(text);
    return r;
}

std::string fixture(const char* name) {
    return test::readFile(std::filesystem::path(ZEL_EXCHANGE_DATA_DIR) / name);
}

// The fixture's bytes up to the first occurrence of `marker`, plus `keep` bytes of it.
std::string cutAt(const std::string& bytes, std::string_view marker, std::size_t keep = 0) {
    const auto at = bytes.find(marker);
    EXPECT_NE(at, std::string::npos) << marker;
    return bytes.substr(0, at + keep);
}

// How many contacts a reading gave, and how many it left out as damaged.
std::string tally(const ContactsRead& read) {
    return std::to_string(read.contacts.size()) + " read, " + std::to_string(read.damaged) + " damaged";
}

} // namespace

TEST(CoreExchangeText, FormatsAndEncodings) {
    EXPECT_EQ(formatOfFileName("CONTACTS.VCF"), ExchangeFormat::VCard);
    EXPECT_EQ(formatOfFileName("a.b/kontakt.vCard"), ExchangeFormat::VCard);
    EXPECT_EQ(formatOfFileName("export.Csv"), ExchangeFormat::Csv);
    EXPECT_EQ(formatOfFileName("abook.ldi"), ExchangeFormat::Ldif);
    EXPECT_EQ(formatOfFileName("abook.LDIF"), ExchangeFormat::Ldif);
    EXPECT_EQ(formatOfFileName("c:\\My.Files\\cimek"), ExchangeFormat::Unknown);
    EXPECT_EQ(formatOfFileName("cimek.txt"), ExchangeFormat::Unknown);

    EXPECT_EQ(importTextToCp1250("\xEF\xBB\xBF\xC5\x91r\xC3\xBC"), cp("őrü"));
    EXPECT_EQ(importTextToCp1250("\xC5\x91r\xE2\x82\xAC \xE2\x98\x83"), cp("őr€ ?"));
    // Windows-1250 stays as it is; an overlong form makes the whole text Windows-1250.
    EXPECT_EQ(importTextToCp1250("\xF5r\xFC"), cp("őrü"));
    EXPECT_EQ(importTextToCp1250("\xC0\x80\xF5"), "\xC0\x80\xF5");
    // A byte order mark keeps UTF-8 despite one stray byte.
    EXPECT_EQ(importTextToCp1250("\xEF\xBB\xBF\xC5\x91\xF5"), cp("ő?"));
}

TEST(CoreExchangeText, TextInUtf8OrWindows1250IsTextAndEverythingElseIsNot) {
    using namespace std::string_literals;
    const std::string texts[] = {
        "",
        "N\xC3\xA9v;E-mail\tx\r\nKis \xC5\x90rs\f\n", // UTF-8
        "\xEF\xBB\xBFN\xC3\xA9v\r\n",                 // with a byte order mark
        "N\xE9v;\x80 \x84\x8A\x9A\xF5r\xFC\r\n",      // Windows-1250: €, „, Š, š, ő, ü
        "BEGIN:VCARD\r\nEND:VCARD\r\n\x1A",           // DOS closed it with its end mark
        "\xEF\xBB\xBF\xC5\x91\xF5",                   // UTF-8 by its mark, one stray byte
    };
    for (const std::string& t : texts)
        EXPECT_TRUE(isImportText(t)) << t;
    const std::string binaries[] = {
        "\177ELF\x02\x01\x01\0\0\0"s, // a program
        "N\0v;E-mail\r\n"s,           // a NUL, in UTF-8 and in Windows-1250 text
        "N\xE9v\0\r\n"s,
        "-\x01-",
        "a\x1B[0m",
        "a\x7F",
        "a\vb",
        "a\x1A\r\n",           // controls; the end mark only at the end
        "N\xC3\xA9v \xC2\x85", // UTF-8's control U+0085
        "\xEF\xBB\xBF-\x1B-",
    };
    for (const std::string& b : binaries)
        EXPECT_FALSE(isImportText(b)) << b;
    // The five bytes Windows-1250 leaves undefined, each in an otherwise good Windows-1250 text.
    for (const char undefined : {'\x81', '\x83', '\x88', '\x90', '\x98'})
        EXPECT_FALSE(isImportText("\xF5r\xFC "s + undefined)) << static_cast<int>(undefined);
}

TEST(CoreExchangeCsv, EachFileTellsItsSeparatorByItsHeaderOrIsNoAddressBook) {
    const std::optional<char> none;
    EXPECT_EQ(csvSeparator(fixture("excel_1250.csv"), none), ';');
    EXPECT_EQ(csvSeparator(fixture("google_contacts.csv"), none), ',');
    EXPECT_EQ(csvSeparator("\r\n\r\nN\xC3\xA9v\tE-mail, c\xC3\xADm\tTelefon\r\n", none), '\t');
    EXPECT_EQ(csvSeparator("Name|E-mail;Phone|Mobile\n", none), '|');
    // Quoted header names may hold other candidates; a tie goes to the earlier of ; , TAB |.
    EXPECT_EQ(csvSeparator("\"N\xC3\xA9v; teljes; hossz\xC3\xBA\",E-mail,Telefon\n", none), ',');
    EXPECT_EQ(csvSeparator("a,b;c\n", none), ';');
    // Only the header counts: data lines full of commas do not outvote it.
    EXPECT_EQ(csvSeparator("N\xE9v;E-mail\r\nKis, Imre, dr.;k@p.hu\r\n", none), ';');
    // One column, or nothing at all, is no address book's export.
    for (const char* bad : {"", "\r\n", "N\xC3\xA9v\r\nKis Imre\r\n", "\"a;b,c\"\n"})
        EXPECT_EQ(csvSeparator(bad, none), none) << bad;
    // A separator given is taken as it is, when the header splits with it.
    EXPECT_EQ(csvSeparator(fixture("google_contacts.csv"), ';'), none);
    EXPECT_EQ(csvSeparator("a:b\n", ':'), ':');
}

TEST(CoreExchangeCsv, GoogleAndOutlookExportsAreMappedByTheirHeaders) {
    EXPECT_EQ(readCsv(fixture("google_contacts.csv"), ','),
              (ContactsRead{{
                  contact({"Kis Imre", "kis.imre@pelda.hu", "+36 1 234 5678", "+36 30 123 4567",
                           "http://kisimre.hu", "Fő utca 1., Budapest, 1011, HU", "Régi kolléga"}),
                  contact({"Őry Árvíztűrő Tükör", "ory@pelda.hu", "", "+36 20 111 2222", "",
                           "6720 Szeged, Kossuth tér 2.", "Két sor,\r\n\"idézettel\""}),
                  contact({"Csak Cég Bt."}),
              }}));

    EXPECT_EQ(
        readCsv(fixture("outlook_hu.csv"), ','),
        (ContactsRead{{
            contact({"Őry Ügyes", "ugyes.ory@pelda.hu", "+36 52 123 456", "+36 30 765 4321", "www.ugyes.hu",
                     "4025 Debrecen, Rózsa u. 5., Magyarország", "Kedves ügyfél.\r\nHívni délután."}),
            contact({"Nagy Béla", "", "+36 96 111 222", "", "", "9021 Győr, Fő tér 3."}),
        }}));

    // The older Google layout and Outlook in English, with a phone typed "Mobile".
    const std::string oldGoogle =
        "Name,Given Name,Family Name,Notes,E-mail 1 - Type,E-mail 1 - Value,Phone 1 - "
        "Type,Phone 1 - Value,Website 1 - Value\r\n"
        ",Anna,Minta,,* Home,anna@pelda.hu,Mobile,+36 30 1,http://a.hu ::: http://b.hu\r\n";
    EXPECT_EQ(readCsv(oldGoogle, ',').contacts,
              (Contacts{contact({"Minta Anna", "anna@pelda.hu", "", "+36 30 1", "http://a.hu"})}));
    const std::string outlookEn =
        "\"First Name\",\"Middle Name\",\"Last Name\",\"Business Phone\",\"Home Phone\","
        "\"Mobile Phone\",\"E-mail Address\",\"Web Page\",\"Home Street\",\"Home City\"\r\n"
        "\"Imre\",\"\",\"Kis\",\"1\",\"2\",\"3\",\"k@p.hu\",\"w.hu\",\"Fő u. 1.\",\"Pécs\"\r\n";
    EXPECT_EQ(readCsv(outlookEn, ',').contacts,
              (Contacts{contact({"Kis Imre", "k@p.hu", "2", "3", "w.hu", "Pécs, Fő u. 1."})}));
}

TEST(CoreExchangeCsv, SpreadsheetFilesQuotingAndPositions) {
    // Excel in Windows-1250 with the layout the help text asks for.
    const std::string excel = fixture("excel_1250.csv");
    EXPECT_EQ(csvFirstDataLine(excel),
              cp("Szőke Tímea;szoke.timea@pelda.hu;06 1 222 3333;06 30 444 5555;http://szoke.hu"));
    EXPECT_EQ(readCsv(excel, ';'), (ContactsRead{{
                                       contact({"Szőke Tímea", "szoke.timea@pelda.hu", "06 1 222 3333",
                                                "06 30 444 5555", "http://szoke.hu"}),
                                       contact({"Gábor Éva", "", "06 62 123 456"}),
                                       contact({"Kovács; \"Öcsi\" Ödön", "ocsi@pelda.hu"}),
                                       contact({"Tóth \"Tóbi\" Ábel", "tobi@pelda.hu"}),
                                   }}));

    EXPECT_EQ(
        readCsv(fixture("libreoffice_multiline.csv"), ','),
        (ContactsRead{{
            contact({"Fekete Péter", "fekete@pelda.hu", "", "+36 70 123 4567", "",
                     "1052 Budapest, Petőfi tér 1.", "Első sor\r\nMásodik sor\r\n\r\nNegyedik, vesszővel"}),
            contact({"Fehér\r\nLászló", "feher@pelda.hu", "", "", "", "", "Idézet: \"szia\""}),
        }}));

    // An unknown header: by position, spaces and quotes inside a field kept, later fields dropped.
    const auto byPosition = readCsv("a|b|c|d|e|f|g|h\n\n N \"x\"|\"q\"\"|\"z|p|m|w|c|n|ignored\n", '|');
    EXPECT_EQ(byPosition.contacts, (Contacts{contact({" N \"x\"", "q\"|z", "p", "m", "w", "c", "n"})}));
}

TEST(CoreExchangeCsv, TheWriterQuotesOnlyWhatItMustAndReadsBack) {
    Contacts rows = {contact({"Kis Imre", "k@p.hu", "", "", "", "Budapest; Fő utca 1", ""}),
                     contact({"Idéző \"Ő\"", "", "", "", "", "", "két\r\nsor"}),
                     contact({"\"Kezdő", "", "", "", "", "", ""})};
    EXPECT_EQ(writeCsv(rows, ';'),
              "\xEF\xBB\xBFN\xC3\xA9v;E-mail;Telefon;Mobil;Honlap;C\xC3\xADm;Megjegyz\xC3\xA9s\r\n"
              "Kis Imre;k@p.hu;;;;\"Budapest; F\xC5\x91 utca 1\";\r\n"
              "Id\xC3\xA9z\xC5\x91 \"\xC5\x90\";;;;;;\"k\xC3\xA9t\r\nsor\"\r\n"
              "\"\"\"Kezd\xC5\x91\";;;;;;\r\n");
    // No rows: the header alone; a header name holding the separator is quoted too.
    EXPECT_EQ(writeCsv({}, 'e'),
              "\xEF\xBB\xBFN\xC3\xA9veE-maile\"Telefon\"eMobileHonlapeC\xC3\xADme\"Megjegyz\xC3\xA9s\"\r\n");

    EXPECT_TRUE(readCsv(writeCsv({PartnerRecord{}}, ';'), ';').contacts.empty());
    // A lone CR or LF breaks a line for a spreadsheet as well.
    for (const char* cell : {"egy\rkett\xC5\x91", "egy\nkett\xC5\x91"})
        EXPECT_TRUE(writeCsv({contact({"Kis Imre", "", "", "", "", "", cell})}, ';')
                        .ends_with("\r\nKis Imre;;;;;;\"" + std::string(cell) + "\"\r\n"))
            << cell;
}

TEST(CoreExchangeCsv, BadInputGivesWholeRecordsOnly) {
    EXPECT_EQ(tally(readCsv("", ';')), "0 read, 0 damaged");
    EXPECT_EQ(csvFirstDataLine(""), "");
    const std::string lo = fixture("libreoffice_multiline.csv");
    // Cut inside the quoted note of the first row nothing whole is left; inside the second row's quoted
    // name the first row stands.
    EXPECT_EQ(tally(readCsv(cutAt(lo, "Második"), ',')), "0 read, 1 damaged");
    EXPECT_EQ(tally(readCsv(cutAt(lo, "\"Feh", 4), ',')), "1 read, 1 damaged");
}

TEST(CoreExchangeVCard, AppleAndAndroidCards) {
    EXPECT_EQ(
        readVCard(fixture("apple_multi.vcf")),
        (ContactsRead{{
            contact({"Kis Imre", "kis.imre@pelda.hu", "+36 1 234 5678", "+36 30 123 4567",
                     "http://kisimre.hu", "1011 Budapest, Fő utca 1., Magyarország",
                     "Első sor\r\nMásodik sor, vesszővel; ez egy hosszú megjegyzés, amely a hetvenötödik "
                     "bájtnál több sorra tördelődik."}),
            contact({"Árvíztűrő Tükörfúrógép", "tukor@pelda.hu", "+36 1 999 8888", "+36 20 555 6666", "",
                     "3527 Miskolc, Ipari út 7. Pf. 12, Borsod"}),
        }}));

    EXPECT_EQ(readVCard(fixture("android_21.vcf")),
              (ContactsRead{{
                  contact({"Őry Ügyes Árvíztűrő (Pécsi Tudományegyetem)", "ory.ugyes@pelda.hu", "+3612345678",
                           "+36301234567", "", "7621 Pécs, Kossuth Lajos utca 12., Magyarország",
                           "Születésnap: május 3.\r\nNe felejtsd el felhívni előtte egy héttel!"}),
                  contact({"Dr. Nagy Anna", "anna@nagy.hu", "+3613334444", "+36209876543"}),
              }}));

    // Lower case, groups, 4.0's tel: URIs and quoted types, charsets, LABEL, a nested 2.1 AGENT.
    const std::string mixed =
        "begin:vcard\nversion:4.0\nn:Minta;Anna;;;\nitem1.tel;value=uri;type=\"cell,voice\":tel:+36-30-1\n"
        "email;pref=2:b@p.hu\nemail;pref=1:a@p.hu\nlabel:Fő u. 1.\\nPécs\nend:vcard\n"
        "BEGIN:VCARD\nVERSION:2.1\nFN;CHARSET=ISO-8859-2;QUOTED-PRINTABLE:=A9imon =D5ry\n"
        "AGENT:\nBEGIN:VCARD\nVERSION:2.1\nFN:Titkár\nEND:VCARD\nTEL;FAX:1\nEND:VCARD\n";
    EXPECT_EQ(readVCard(mixed).contacts,
              (Contacts{
                  contact({"Minta Anna", "a@p.hu", "", "+36-30-1", "", "Fő u. 1., Pécs"}),
                  contact({"Šimon Őry", "", "1"}),
              }));
}

TEST(CoreExchangeVCard, TheWriterFoldsEscapesAndReadsBack) {
    Contacts rows = {
        contact(
            {"Kis Imre", "kis@p.hu", "1", "2", "http://x.hu/a,b;c\\d", "Fő u. 1; 2, 3", "egy\r\nkettő\\"}),
        PartnerRecord{},
        contact({"Ő"}),
    };
    // "NOTE:" and 65 bytes, then two-byte characters: the third would straddle octet 75.
    rows[2].note = cp(std::string(65, 'x') + "őőőy");
    EXPECT_EQ(writeVCard(rows),
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Kis Imre\r\nN:Kis;Imre;;;\r\n"
              "EMAIL;TYPE=INTERNET:kis@p.hu\r\nTEL;TYPE=VOICE:1\r\nTEL;TYPE=CELL:2\r\n"
              "URL:http://x.hu/a,b;c\\\\d\r\nADR;TYPE=HOME:;;F\xC5\x91 u. 1\\; 2\\, 3;;;;\r\n"
              "NOTE:egy\\nkett\xC5\x91\\\\\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\xC5\x90\r\nN:\xC5\x90;;;;\r\n"
              "NOTE:" +
                  std::string(65, 'x') + "\xC5\x91\xC5\x91\r\n \xC5\x91y\r\nEND:VCARD\r\n");
}

TEST(CoreExchangeVCard, BadInputGivesWholeCardsOnly) {
    EXPECT_EQ(tally(readVCard("")), "0 read, 0 damaged");
    // Cut in the middle of the second card, and in the middle of a quoted-printable value.
    EXPECT_EQ(tally(readVCard(cutAt(fixture("apple_multi.vcf"), "Ipari"))), "1 read, 1 damaged");
    const std::string android = fixture("android_21.vcf");
    const std::size_t softBreak = android.find("=\r\n", android.find("NOTE;")) + 3;
    EXPECT_EQ(readVCard(android.substr(0, softBreak) + "END:VCARD\r\n" +
                        android.substr(android.find("BEGIN:VCARD", 10))),
              (ContactsRead{{contact({"Dr. Nagy Anna", "anna@nagy.hu", "+3613334444", "+36209876543"})}, 1}));
    // A card begun before the last one ended was cut off; a card without a usable field is skipped quietly.
    EXPECT_EQ(readVCard("BEGIN:VCARD\nFN:A\nBEGIN:VCARD\nFN:B\nEND:VCARD\nBEGIN:VCARD\nX-A:1\nEND:VCARD\n"),
              (ContactsRead{{contact({"B"})}, 1}));
    // ISO-8859-2 bytes without a charset are read as Windows-1250.
    EXPECT_EQ(readVCard("BEGIN:VCARD\r\nFN:\xD5ry \xFB\r\nEND:VCARD").contacts[0].name, cp("Őry ű"));
}

TEST(CoreExchangeLdif, ThunderbirdAddressBook) {
    EXPECT_EQ(
        readLdif(fixture("thunderbird.ldif")),
        (ContactsRead{{
            contact({"Kis Imre", "kis.imre@pelda.hu", "+36 1 234 5678", "+36 30 123 4567",
                     "http://kisimre.hu", "1011 Budapest, Fő utca 1., Magyarország",
                     "Régi kolléga a Példa Kft.-nél, akivel minden évben találkozunk a nyári pikniken.\r\n"
                     "Második sor."}),
            contact(
                {"Őry Ügyes Árvíztűrő", "ory@pelda.hu", "+36 72 123 456", "", "", "7621 Pécs, Ipari út 7."}),
            contact({"Minta, Anna", "minta.anna@pelda.hu"}),
        }}));

    // The old one-line form, a base64 DN in Windows-1250, comments, postal addresses, no blank line
    // between records.
    const std::string old =
        "# exported\r\ndn: cn=Minta Anna,mail=anna@pelda.hu\r\n\r\n"
        "dn:: Y249/XJ5IEFubmE=\r\npostalAddress: F\xC5\x91 u. 1.$1011 Budapest\\0A\\24 2\r\n"
        "dn: cn=Csak N\xC3\xA9v\r\ndescription: a\r\n b\r\n";
    EXPECT_EQ(readLdif(old).contacts,
              (Contacts{
                  contact({"Minta Anna", "anna@pelda.hu"}),
                  contact({"ýry Anna", "", "", "", "", "Fő u. 1., 1011 Budapest, $ 2"}),
                  contact({"Csak Név", "", "", "", "", "", "ab"}),
              }));
}

TEST(CoreExchangeLdif, BadInputGivesWholeRecordsOnly) {
    EXPECT_EQ(tally(readLdif("")), "0 read, 0 damaged");
    EXPECT_EQ(readLdif("dn: cn=A\ncn:: !!!\n\ndn: cn=B\nmail: b@p.hu\n\nnincs kettőspont\n\nmail: \n"),
              (ContactsRead{{contact({"B", "b@p.hu"})}, 2}));
    // Cut inside a base64 value: that record is damaged, the one before stands.
    EXPECT_EQ(tally(readLdif(cutAt(fixture("thunderbird.ldif"), "dn:: ", 10))), "1 read, 1 damaged");
}
