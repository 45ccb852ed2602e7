#include "core/exchange/contacts.h"
#include "core/sync/card.h"
#include "core/text/cp1250.h"

#include <gtest/gtest.h>
#include <ostream>

namespace zel {
void PrintTo(const PartnerFields& f, std::ostream* os) {
    *os << "{" << f.name << " | " << f.email << " | " << f.phone << " | " << f.mobile << " | " << f.webAddress
        << " | " << f.address << " | " << f.note << "}";
}
} // namespace zel

using namespace zel;

namespace {

// A photo's base64 folded over many lines, as Apple's and Google's servers send it.
const std::string kPhoto30 =
    "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAgGBgcGBQgHBwcJCQ\r\n"
    " gKDBQNDAsLDBkSEw8UHRofHh0aHBwgJC4nICIsIxwcKDcpLDAxNDQ0Hyc5PTgyPC4zNDL/2wBDA\r\n"
    " QkJCQwLDBgNDRgyIRwhMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIy\r\n"
    " MjIyMjIyMjIyMjL/wAARCAABAAEDASIAAhEBAxEB/8QAFQABAQAAAAAAAAAAAAAAAAAAAAf/xAA\r\n"
    " UEAEAAAAAAAAAAAAAAAAAAAAA/9oADAMBAAIRAxEAPwCdABmX/9k=\r\n";

const std::string kRich30 = "BEGIN:VCARD\r\n"
                            "VERSION:3.0\r\n"
                            "PRODID:-//Apple Inc.//iPhone OS 17.0//EN\r\n"
                            "N:Kovács;Béla;Ödön;dr.;\r\n"
                            "FN:Kovács Béla Ödön\r\n"
                            "ORG:Zöld Fa Kft.;Értékesítés\r\n"
                            "CATEGORIES:Barátok,Munka\r\n"
                            "item1.EMAIL;type=INTERNET;type=pref:bela@zoldfa.hu\r\n"
                            "item1.X-ABLabel:_$!<Work>!$_\r\n"
                            "EMAIL;TYPE=INTERNET;TYPE=HOME:bela.kovacs@example.org\r\n"
                            "TEL;TYPE=CELL;TYPE=VOICE;TYPE=pref:+36 30 123 4567\r\n"
                            "TEL;TYPE=WORK;TYPE=VOICE:+36 1 234 5678\r\n"
                            "TEL;TYPE=HOME:+36 1 765 4321\r\n"
                            "item2.ADR;TYPE=HOME;TYPE=pref:;;Fő utca 1.;Győr;;9021;Magyarország\r\n"
                            "item2.X-ABADR:hu\r\n"
                            "URL;TYPE=WORK:https://zoldfa.hu/\r\n"
                            "NOTE:Első sor\\nMásodik sor\\, vesszővel és őű ÁÉ betűkkel\\; sok-sok szóval\r\n"
                            " \\, hogy hajtva legyen\r\n" +
                            kPhoto30 +
                            "X-SOCIALPROFILE;type=twitter:x-apple:kovacsbela\r\n"
                            "UID:1f2e3d4c-5b6a-4978-8695-a4b3c2d1e0f9\r\n"
                            "REV:2024-01-02T03:04:05Z\r\n"
                            "END:VCARD\r\n";

const std::string kRich40 =
    "BEGIN:VCARD\r\n"
    "VERSION:4.0\r\n"
    "UID:urn:uuid:4fbe8971-0bc3-424c-9c26-36c3e1eff6b1\r\n"
    "FN:Szőke Éva\r\n"
    "N:Szőke;Éva;;;\r\n"
    "GENDER:F\r\n"
    "ORG:Ármány Bt.\r\n"
    "EMAIL;TYPE=work:eva@armany.hu\r\n"
    "EMAIL;PREF=1;TYPE=home:szoke.eva.hosszu.postafiok.cime@nagyon-hosszu-tartomany.\r\n"
    " example.hu\r\n"
    "TEL;VALUE=uri;TYPE=\"cell,voice\";PREF=1:tel:+36-20-555-1234\r\n"
    "TEL;VALUE=uri;TYPE=work:tel:+36-1-555-0000\r\n"
    "ADR;TYPE=work;LABEL=\"Ármány Bt.\\nBudapest\":;;Ó utca 2.;Budapest;;1066;Magyarország\r\n"
    "PHOTO:data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQ\r\n"
    " VR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==\r\n"
    "CATEGORIES:Család\r\n"
    "X-EVOLUTION-FILE-AS:Szőke\\, Éva\r\n"
    "END:VCARD\r\n";

VCard parsed(std::string_view bytes) {
    auto card = VCard::parse(bytes);
    EXPECT_TRUE(card.has_value());
    return card ? *card : *VCard::parse("BEGIN:VCARD\r\nEND:VCARD\r\n");
}

// The bytes with the one occurrence of `from` replaced by `to`.
std::string replaced(std::string bytes, std::string_view from, std::string_view to) {
    const auto at = bytes.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    EXPECT_EQ(bytes.find(from, at + 1), std::string::npos) << from;
    if (at != std::string::npos) bytes.replace(at, from.size(), to);
    return bytes;
}

// What readVCard makes of the card, cut to the partner file's capacities as the import stores it.
PartnerRecord imported(std::string_view bytes) {
    const ContactsRead read = readVCard(bytes);
    EXPECT_EQ(read.contacts.size(), 1u);
    if (read.contacts.empty()) return {};
    const PartnerRecord& r = read.contacts[0];
    const auto cut = [](std::string s, std::size_t n) { return s.size() > n ? s.substr(0, n) : s; };
    return {cut(r.name, 41),   cut(r.address, 52), cut(r.webAddress, 100), cut(r.email, 33),
            cut(r.mobile, 24), cut(r.phone, 25),   cut(r.note, 255)};
}

} // namespace

TEST(CoreSyncCard, RichCardsGiveBackTheirBytesAndTheImportersFields) {
    const VCard v3 = parsed(kRich30);
    EXPECT_EQ(v3.bytes(), kRich30);
    EXPECT_EQ(v3.version(), "3.0");
    EXPECT_EQ(v3.uid(), "1f2e3d4c-5b6a-4978-8695-a4b3c2d1e0f9");
    EXPECT_EQ(fieldsOf(v3), (PartnerFields{.name = "Kovács Béla Ödön",
                                           .address = "9021 Győr, Fő utca 1., Magyarország",
                                           .webAddress = "https://zoldfa.hu/",
                                           .email = "bela@zoldfa.hu",
                                           .mobile = "+36 30 123 4567",
                                           .phone = "+36 1 234 5678",
                                           .note = "Első sor\r\nMásodik sor, vesszővel és őű ÁÉ betűkkel; "
                                                   "sok-sok szóval, hogy hajtva legyen"}));
    EXPECT_EQ(partnerOf(v3), imported(kRich30));

    const VCard v4 = parsed(kRich40);
    EXPECT_EQ(v4.bytes(), kRich40);
    EXPECT_EQ(v4.version(), "4.0");
    EXPECT_EQ(v4.uid(), "urn:uuid:4fbe8971-0bc3-424c-9c26-36c3e1eff6b1");
    const PartnerFields f4 = fieldsOf(v4);
    EXPECT_EQ(f4,
              (PartnerFields{.name = "Szőke Éva",
                             .address = "1066 Budapest, Ó utca 2., Magyarország",
                             .webAddress = "",
                             .email = "szoke.eva.hosszu.postafiok.cime@nagyon-hosszu-tartomany.example.hu",
                             .mobile = "+36-20-555-1234",
                             .phone = "+36-1-555-0000",
                             .note = ""}));
    // The long address reads whole from the card and cut only for the partner file.
    const PartnerRecord r4 = partnerOf(v4);
    EXPECT_EQ(r4.email, "szoke.eva.hosszu.postafiok.cime@n");
    EXPECT_EQ(r4.name, utf8ToCp1250("Szőke Éva"));
    EXPECT_EQ(r4, imported(kRich40));

    const auto props = v4.properties();
    ASSERT_EQ(props.size(), 16u);
    EXPECT_EQ(props[9].name, "TEL");
    EXPECT_EQ(props[9].parameters, ";VALUE=uri;TYPE=\"cell,voice\";PREF=1");
    EXPECT_EQ(props[9].value, "tel:+36-20-555-1234");
    EXPECT_EQ(props[8].value, "szoke.eva.hosszu.postafiok.cime@nagyon-hosszu-tartomany.example.hu");
}

TEST(CoreSyncCard, LineEndsCaseAndSurroundingBlankLinesAreKept) {
    const std::string lf = "begin:vcard\n"
                           "version:3.0\n"
                           "fn:Nagy Ágnes\n"
                           "item1.email;type=pref:agnes@example.hu\n"
                           " \n"
                           "tel;type=cell:+36 70 111 2222\n"
                           "end:vcard";
    const VCard card = parsed(lf);
    EXPECT_EQ(card.bytes(), lf);
    EXPECT_EQ(card.field(PartnerField::Name), "Nagy Ágnes");
    EXPECT_EQ(card.field(PartnerField::Email), "agnes@example.hu");
    EXPECT_EQ(card.field(PartnerField::Mobile), "+36 70 111 2222");

    // New and changed lines end as the card's lines do.
    VCard changed = card;
    changed.setField(PartnerField::Phone, "+36 1 999 8888");
    changed.setField(PartnerField::Mobile, "+36 70 333 4444");
    EXPECT_EQ(changed.bytes(), "begin:vcard\n"
                               "version:3.0\n"
                               "fn:Nagy Ágnes\n"
                               "item1.email;type=pref:agnes@example.hu\n"
                               " \n"
                               "tel;type=cell:+36 70 333 4444\n"
                               "TEL;TYPE=VOICE:+36 1 999 8888\n"
                               "end:vcard");

    const std::string padded = "\xEF\xBB\xBF\r\n" + kRich30 + "\r\n\r\n";
    EXPECT_EQ(parsed(padded).bytes(), padded);
    EXPECT_EQ(fieldsOf(parsed(padded)), fieldsOf(parsed(kRich30)));
}

TEST(CoreSyncCard, ChangingAFieldRewritesOnlyItsLine) {
    VCard v3 = parsed(kRich30);
    v3.setField(PartnerField::Email, "bela.uj@zoldfa.hu");
    EXPECT_EQ(v3.bytes(), replaced(kRich30, "item1.EMAIL;type=INTERNET;type=pref:bela@zoldfa.hu\r\n",
                                   "item1.EMAIL;type=INTERNET;type=pref:bela.uj@zoldfa.hu\r\n"));
    EXPECT_EQ(v3.field(PartnerField::Email), "bela.uj@zoldfa.hu");

    // A folded line is refolded at 75 octets; escapes per the version.
    v3 = parsed(kRich30);
    v3.setField(PartnerField::Note,
                "Új megjegyzés; vesszővel, és egy nagyon hosszú sorral, amelyet hajtani kell, "
                "őűŐŰ\r\nmásodik sor");
    EXPECT_EQ(v3.bytes(),
              replaced(kRich30,
                       "NOTE:Első sor\\nMásodik sor\\, vesszővel és őű ÁÉ betűkkel\\; sok-sok szóval\r\n"
                       " \\, hogy hajtva legyen\r\n",
                       "NOTE:Új megjegyzés\\; vesszővel\\, és egy nagyon hosszú sorral\\, amelyet\r\n"
                       "  hajtani kell\\, őűŐŰ\\nmásodik sor\r\n"));

    v3 = parsed(kRich30);
    v3.setField(PartnerField::Phone, "+36 1 000 1111");
    v3.setField(PartnerField::Address, "1011 Budapest, Fő utca 3.");
    v3.setField(PartnerField::WebAddress, "https://example.hu/a;b,c");
    EXPECT_EQ(v3.bytes(),
              replaced(replaced(replaced(kRich30, "TEL;TYPE=WORK;TYPE=VOICE:+36 1 234 5678\r\n",
                                         "TEL;TYPE=WORK;TYPE=VOICE:+36 1 000 1111\r\n"),
                                "item2.ADR;TYPE=HOME;TYPE=pref:;;Fő utca 1.;Győr;;9021;Magyarország\r\n",
                                "item2.ADR;TYPE=HOME;TYPE=pref:;;1011 Budapest\\, Fő utca 3.;;;;\r\n"),
                       "URL;TYPE=WORK:https://zoldfa.hu/\r\n", "URL;TYPE=WORK:https://example.hu/a;b,c\r\n"));
    EXPECT_EQ(v3.field(PartnerField::Address), "1011 Budapest, Fő utca 3.");
    EXPECT_EQ(v3.field(PartnerField::WebAddress), "https://example.hu/a;b,c");

    // A tel: URI stays one.
    VCard v4 = parsed(kRich40);
    v4.setField(PartnerField::Mobile, "+36-30-999-0000");
    EXPECT_EQ(v4.bytes(),
              replaced(kRich40, "TEL;VALUE=uri;TYPE=\"cell,voice\";PREF=1:tel:+36-20-555-1234\r\n",
                       "TEL;VALUE=uri;TYPE=\"cell,voice\";PREF=1:tel:+36-30-999-0000\r\n"));
    EXPECT_EQ(v4.field(PartnerField::Mobile), "+36-30-999-0000");
}

TEST(CoreSyncCard, RenamingChangesFnAndNOnly) {
    VCard v3 = parsed(kRich30);
    v3.setField(PartnerField::Name, "Kovácsné Szabó Ilona");
    EXPECT_EQ(v3.bytes(),
              replaced(replaced(kRich30, "N:Kovács;Béla;Ödön;dr.;\r\n", "N:Kovácsné;Szabó Ilona;;;\r\n"),
                       "FN:Kovács Béla Ödön\r\n", "FN:Kovácsné Szabó Ilona\r\n"));
    EXPECT_EQ(v3.field(PartnerField::Name), "Kovácsné Szabó Ilona");

    // A card with N only gets its FN; a 4.0 card without N gets none.
    const std::string nOnly = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Tóth;Péter;;;\r\nEND:VCARD\r\n";
    VCard card = parsed(nOnly);
    EXPECT_EQ(card.field(PartnerField::Name), "Tóth Péter");
    card.setField(PartnerField::Name, "Tóth Pál");
    EXPECT_EQ(card.bytes(), "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Tóth;Pál;;;\r\nFN:Tóth Pál\r\nEND:VCARD\r\n");
    card = parsed("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Mónika\r\nEND:VCARD\r\n");
    card.setField(PartnerField::Name, "Kiss Mónika");
    EXPECT_EQ(card.bytes(), "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Kiss Mónika\r\nEND:VCARD\r\n");

    // Both are required, so an empty name empties them.
    card = parsed(nOnly);
    card.setField(PartnerField::Name, "");
    EXPECT_EQ(card.bytes(), "BEGIN:VCARD\r\nVERSION:3.0\r\nN:;;;;\r\nFN:\r\nEND:VCARD\r\n");
}

TEST(CoreSyncCard, ClearingRemovesOneLineAndAddingAppendsOne) {
    VCard v3 = parsed(kRich30);
    v3.setField(PartnerField::Mobile, "");
    EXPECT_EQ(v3.bytes(), replaced(kRich30, "TEL;TYPE=CELL;TYPE=VOICE;TYPE=pref:+36 30 123 4567\r\n", ""));
    EXPECT_EQ(v3.field(PartnerField::Mobile), "");
    // The note spans two physical lines; both go.
    v3.setField(PartnerField::Note, "");
    EXPECT_EQ(v3.bytes(),
              replaced(replaced(kRich30, "TEL;TYPE=CELL;TYPE=VOICE;TYPE=pref:+36 30 123 4567\r\n", ""),
                       "NOTE:Első sor\\nMásodik sor\\, vesszővel és őű ÁÉ betűkkel\\; sok-sok szóval\r\n"
                       " \\, hogy hajtva legyen\r\n",
                       ""));
    v3.setField(PartnerField::Note, "Új");
    v3.setField(PartnerField::Mobile, "+36 20 000 0000");
    EXPECT_EQ(
        v3.bytes(),
        replaced(replaced(replaced(kRich30, "TEL;TYPE=CELL;TYPE=VOICE;TYPE=pref:+36 30 123 4567\r\n", ""),
                          "NOTE:Első sor\\nMásodik sor\\, vesszővel és őű ÁÉ betűkkel\\; sok-sok szóval\r\n"
                          " \\, hogy hajtva legyen\r\n",
                          ""),
                 "END:VCARD\r\n", "NOTE:Új\r\nTEL;TYPE=CELL:+36 20 000 0000\r\nEND:VCARD\r\n"));

    // A 4.0 card's new lines take 4.0's lower-case types.
    VCard v4 = parsed(kRich40);
    v4.setField(PartnerField::WebAddress, "https://armany.hu");
    v4.setField(PartnerField::Note, "Megjegyzés");
    v4.setField(PartnerField::Phone, "");
    EXPECT_EQ(v4.bytes(),
              replaced(replaced(kRich40, "TEL;VALUE=uri;TYPE=work:tel:+36-1-555-0000\r\n", ""),
                       "END:VCARD\r\n", "URL:https://armany.hu\r\nNOTE:Megjegyzés\r\nEND:VCARD\r\n"));
    v4.setField(PartnerField::Phone, "06 1 222 3333");
    v4.setField(PartnerField::Email, "");
    v4.setField(PartnerField::Email, "");
    v4.setField(PartnerField::Email, "uj@armany.hu");
    EXPECT_EQ(
        v4.bytes(),
        replaced(replaced(replaced(replaced(kRich40, "TEL;VALUE=uri;TYPE=work:tel:+36-1-555-0000\r\n", ""),
                                   "EMAIL;TYPE=work:eva@armany.hu\r\n", ""),
                          "EMAIL;PREF=1;TYPE=home:szoke.eva.hosszu.postafiok.cime@nagyon-hosszu-"
                          "tartomany.\r\n example.hu\r\n",
                          ""),
                 "END:VCARD\r\n",
                 "URL:https://armany.hu\r\nNOTE:Megjegyzés\r\nTEL;TYPE=voice:06 1 222 "
                 "3333\r\nEMAIL:uj@armany.hu\r\nEND:VCARD\r\n"));
}

TEST(CoreSyncCard, OnlyChangedFieldsAreWrittenSoCutValuesNeverGoBack) {
    VCard v4 = parsed(kRich40);
    const PartnerFields before = fieldsOf(v4);
    // The partner file holds the e-mail cut; the sync hands back whole values of unchanged fields.
    PartnerFields after = before;
    after.note = "Hívjam vissza";
    v4.applyChanges(before, after);
    EXPECT_EQ(v4.bytes(), replaced(kRich40, "END:VCARD\r\n", "NOTE:Hívjam vissza\r\nEND:VCARD\r\n"));
    EXPECT_EQ(fieldsOf(v4).email, before.email);

    // Setting a field to its present value changes nothing.
    VCard same = parsed(kRich30);
    for (int i = 0; i < 7; ++i) {
        const auto f = static_cast<PartnerField>(i);
        same.setField(f, fieldsOf(parsed(kRich30))[f]);
    }
    EXPECT_EQ(same.bytes(), kRich30);
}

TEST(CoreSyncCard, EncodedValuesAreReadAsTheImporterDoesAndRewrittenPlain) {
    // ISO 8859-2 quoted-printable, "Győr" and "Ő".
    const std::string qp = "BEGIN:VCARD\r\n"
                           "VERSION:3.0\r\n"
                           "FN:Kis =C1d=E1m\r\n"
                           "NOTE;CHARSET=ISO-8859-2;ENCODING=QUOTED-PRINTABLE;X-KEEP=1:Gy=F5r =D5=\r\n"
                           "sz\r\n"
                           "EMAIL;ENCODING=b:YWRhbUBleGFtcGxlLmh1\r\n"
                           "END:VCARD\r\n";
    VCard card = parsed(qp);
    EXPECT_EQ(card.bytes(), qp);
    EXPECT_EQ(card.field(PartnerField::Note), "Győr Ősz");
    EXPECT_EQ(card.field(PartnerField::Email), "adam@example.hu");
    EXPECT_EQ(partnerOf(card), imported(qp));
    card.setField(PartnerField::Note, "Győr ősz");
    card.setField(PartnerField::Email, "adam@example.org");
    EXPECT_EQ(card.bytes(), "BEGIN:VCARD\r\n"
                            "VERSION:3.0\r\n"
                            "FN:Kis =C1d=E1m\r\n"
                            "NOTE;X-KEEP=1:Győr ősz\r\n"
                            "EMAIL:adam@example.org\r\n"
                            "END:VCARD\r\n");
}

TEST(CoreSyncCard, NewCards) {
    PartnerFields f;
    f.name = "Kovács Béla";
    f.email = "bela@example.hu";
    f.phone = "+36 1 234 5678";
    f.mobile = "+36 30 123 4567";
    f.webAddress = "https://example.hu/?a=1;b=2";
    f.address = "9021 Győr, Fő utca 1.";
    f.note = "Első sor\r\nMásodik sor, amely elég hosszú ahhoz, hogy a hetvenöt oktettes határon túl "
             "érjen";
    const std::string card = newCard(f, "c0ffee-1234");
    EXPECT_EQ(card, "BEGIN:VCARD\r\n"
                    "VERSION:3.0\r\n"
                    "UID:c0ffee-1234\r\n"
                    "FN:Kovács Béla\r\n"
                    "N:Kovács;Béla;;;\r\n"
                    "EMAIL;TYPE=INTERNET:bela@example.hu\r\n"
                    "TEL;TYPE=VOICE:+36 1 234 5678\r\n"
                    "TEL;TYPE=CELL:+36 30 123 4567\r\n"
                    "URL:https://example.hu/?a=1;b=2\r\n"
                    "ADR;TYPE=HOME:;;9021 Győr\\, Fő utca 1.;;;;\r\n"
                    "NOTE:Első sor\\nMásodik sor\\, amely elég hosszú ahhoz\\, hogy a hetvenöt\r\n"
                    "  oktettes határon túl érjen\r\n"
                    "END:VCARD\r\n");
    EXPECT_EQ(fieldsOf(parsed(card)), (PartnerFields{.name = "Kovács Béla",
                                                     .address = f.address,
                                                     .webAddress = f.webAddress,
                                                     .email = f.email,
                                                     .mobile = f.mobile,
                                                     .phone = f.phone,
                                                     .note = f.note}));

    EXPECT_EQ(newCard(PartnerFields{.name = "Anna",
                                    .address = {},
                                    .webAddress = {},
                                    .email = {},
                                    .mobile = {},
                                    .phone = {},
                                    .note = {}},
                      "u-1", "4.0"),
              "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:u-1\r\nFN:Anna\r\nN:Anna;;;;\r\nEND:VCARD\r\n");
}

TEST(CoreSyncCard, AnythingButOneCardIsRefused) {
    for (const std::string& bad : {
             std::string(),
             std::string("\r\n\r\n"),
             std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Cut off\r\n"),
             std::string("VERSION:3.0\r\nBEGIN:VCARD\r\nEND:VCARD\r\n"),
             std::string("BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n"),
             std::string("BEGIN:VCARD\r\nEND:VCARD\r\nBEGIN:VCARD\r\nEND:VCARD\r\n"),
             std::string("BEGIN:VCARD\r\nBEGIN:VCARD\r\nEND:VCARD\r\nEND:VCARD\r\n"),
             std::string("BEGIN:VCARD\r\nFN:x\r\nEND:VCARD\r\ntrailing"),
             std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
             std::string("BEGIN:VCARD\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=\r\nEND:VCARD=\r\n"),
         })
        EXPECT_FALSE(VCard::parse(bad).has_value()) << bad;

    // Junk inside a card is kept as it stands.
    static const char kJunk[] = "BEGIN:VCARD\r\n\0\xff\xfe no colon\r\n:x\r\nFN:J\xf5zsef\r\nEND:VCARD";
    const std::string junk(kJunk, sizeof kJunk - 1);
    const VCard card = parsed(junk);
    EXPECT_EQ(card.bytes(), junk);
    EXPECT_EQ(card.field(PartnerField::Name), "Jőzsef");
}
