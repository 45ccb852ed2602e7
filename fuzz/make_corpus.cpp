// Writes a starting corpus for each harness into <folder>/<harness>/.
#include "core/app/instance_identity.h"
#include "core/events/event_record.h"
#include "core/exchange/contacts.h"
#include "core/partners/partner_record.h"
#include "core/settings/settings_record.h"
#include "core/text/cp1250.h"
#include "core/text/datetime.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace zel;
namespace fs = std::filesystem;

void put(const fs::path& dir, const std::string& name, const std::string& bytes) {
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

std::string timed(EventKind kind, DayNumber day, int minute, const std::string& text, bool active = true) {
    EventRecord r;
    r.active = active;
    r.text = text;
    r.date = static_cast<double>(day);
    r.time = hasTime(kind) ? storedFromMinute(minute) : 0;
    return encodeEvent(kind, r);
}

// The harness takes its choices from the input's end; these bytes stand in for them.
const std::string kChoices(40, '\x01');

void eventCorpus(const fs::path& dir) {
    const DayNumber d = dayNumber(2024, 3, 5);
    put(dir, "empty", kChoices);
    for (EventKind k : {EventKind::Reminder, EventKind::NameDay}) {
        const std::string tag = k == EventKind::Reminder ? "timed_" : "day_";
        put(dir, tag + "three",
            timed(k, d, 8 * 60, "abc") + timed(k, d, 10 * 60, "def") + timed(k, d + 1, 14 * 60, "ghi") +
                kChoices);
        std::string many;
        for (int i = 0; i < 12; ++i)
            many += timed(k, d + i / 4, 6 * 60 + (i % 4) * 90, "e" + std::to_string(i), i % 3);
        put(dir, tag + "many", many + kChoices);
        put(dir, tag + "unordered", timed(k, d + 1, 9 * 60, "b") + timed(k, d, 9 * 60, "a") + kChoices);
        EventRecord bad;
        bad.text = utf8ToCp1250("hibás");
        bad.date = std::numeric_limits<double>::quiet_NaN();
        bad.time = std::numeric_limits<double>::infinity();
        put(dir, tag + "undated", encodeEvent(k, bad) + timed(k, d, 12 * 60, "x") + kChoices);
        put(dir, tag + "partial", timed(k, d, 60, "p") + std::string(100, '\x07') + kChoices);
    }
}

void settingsCorpus(const fs::path& dir) {
    const SettingsBytes zeros{};
    const auto bytes = [](const SettingsBytes& b) { return std::string(b.begin(), b.end()); };
    put(dir, "defaults", bytes(encodeSettings(defaultSettings(), zeros)));
    Settings s = defaultSettings();
    s.sound = SoundChoice::File;
    s.soundFile = s.soundDialogFile = "/home/anna/hang.wav";
    s.start = StartChoice::Passive;
    s.noticeDays = 10;
    SettingsBytes base{};
    base[32] = 0x11, base[35] = 0x22, base[1062] = 0x33, base[1063] = 0x44;
    put(dir, "own_sound", bytes(encodeSettings(s, base)) + '\x01');
    put(dir, "short", std::string(100, '1'));
}

void partnerCorpus(const fs::path& dir) {
    put(dir, "maker", encodePartner(makerCard()));
    PartnerRecord full;
    full.name = std::string(60, 'N');
    full.address = std::string(60, 'A');
    full.webAddress = std::string(120, 'W');
    full.email = std::string(40, 'E');
    full.mobile = std::string(30, 'M');
    full.phone = std::string(30, 'P');
    full.note = std::string(300, 'n');
    put(dir, "full_two", encodePartner(full) + encodePartner(makerCard()));
    put(dir, "lengths_255", std::string(537, '\xff'));
}

void cp1250Corpus(const fs::path& dir) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    put(dir, "all_bytes", all);
    put(dir, "hungarian_utf8", "Árvíztűrő tükörfúrógép – „idézet” €");
    put(dir, "broken_utf8", "a\xC3\x28\xE2\x82\xF0\x9F\x98\x80\xED\xA0\x80\xC0\x80z");
}

void datetimeCorpus(const fs::path& dir) {
    for (const char* t : {"2024.03.05.", "2024.3.5", "1.01.01", "9999.12.31.", "2024.02.29", "2023.02.29."})
        put(dir, std::string("text_") + t, t);
    std::string doubles;
    for (double v : {45356.75, 0.378472222222222, -693593.0, 2958465.99, 1e300, -0.0}) {
        char b[8];
        std::memcpy(b, &v, 8);
        doubles.append(b, 8);
    }
    put(dir, "doubles", doubles);
}

// Rows with the awkward texts an export meets: separators, quotes, line breaks, accents.
std::vector<PartnerRecord> contactRows() {
    PartnerRecord a, b;
    a.name = utf8ToCp1250("Őry Ügyes Árvíztűrő");
    a.email = "ory@pelda.hu";
    a.phone = "+36 1 234 5678";
    a.mobile = "+36 30 123 4567";
    a.webAddress = "http://pelda.hu/a,b;c";
    a.address = utf8ToCp1250("1011 Budapest; Fő utca 1.");
    a.note = utf8ToCp1250("Első sor\r\nMásodik \"sor\", \\ vége ") + std::string(80, 'x');
    b.name = "\"Kis\" Imre";
    b.email = "kis@pelda.hu";
    return {a, b};
}

void vcardCorpus(const fs::path& dir) {
    put(dir, "own_export", writeVCard(contactRows()));
    put(dir, "android_21",
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C5=90ry;=C3=9Cgyes;;;\r\n"
        "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C5=90ry =C3=9Cgyes "
        "=C3=81rv=\r\n=C3=ADzt=C5=B1r=C5=91\r\n"
        "TEL;CELL;PREF:+36301234567\r\nTEL;HOME:+3612345678\r\nEMAIL;PREF;INTERNET:ory@pelda.hu\r\n"
        "ADR;HOME;CHARSET=ISO-8859-2;QUOTED-PRINTABLE:;;F=F5 utca 1.;Budapest;;1011;\r\n"
        "NOTE;ENCODING=QUOTED-PRINTABLE:egy=0D=0Akett=C5=91\r\n"
        "PHOTO;ENCODING=BASE64;JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD\r\n  2wBDAAgGBgcGBQgHBwcJCQgKDBQNDAsL\r\n\r\n"
        "AGENT:\r\nBEGIN:VCARD\r\nFN:Titk\xE1r\r\nEND:VCARD\r\nEND:VCARD\r\n");
    put(dir, "apple_30",
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Kis;Imre;;Dr.;\r\nFN:Kis Imre\r\n"
        "item1.EMAIL;type=INTERNET;type=pref:kis@pelda.hu\r\nTEL;type=CELL;type=VOICE:+36 30 1\r\n"
        "item2.ADR;type=HOME:;;F\xC5\x91 utca 1.;Budapest;;1011;Magyarorsz\xC3\xA1g\r\n"
        "item3.URL:http\\://kis.hu\r\nNOTE:Els\xC5\x91 sor\\nm\xC3\xA1sodik\\, vessz\xC5\x91vel "
        "hossz\xC3\xBA sor\r\n"
        " , amely folytat\xC3\xB3"
        "dik\r\nPHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAASABIAAD\r\n"
        " /4QBMRXhpZgAATU0AKgAAAAgAAYdpAAQ\r\nEND:VCARD\r\n");
    put(dir, "vcard_40",
        "BEGIN:VCARD\nVERSION:4.0\nFN:Minta Anna\nTEL;VALUE=uri;TYPE=\"cell,voice\";PREF=1:tel:+36-30-1\n"
        "EMAIL;PREF=2:b@p.hu\nEMAIL;PREF=1:a@p.hu\nLABEL:F\xC5\x91 u. 1.\\nP\xC3\xA9"
        "cs\nEND:VCARD\n");
    put(dir, "cut_off",
        "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;QUOTED-PRINTABLE:abc=\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:x");
}

void csvCorpus(const fs::path& dir) {
    put(dir, "own_export_semicolon", ";" + writeCsv(contactRows(), ';'));
    put(dir, "own_export_tab", "\t" + writeCsv(contactRows(), '\t'));
    put(dir, "own_export_o", "\xF5" + writeCsv(contactRows(), '\xF5'));
    put(dir, "google",
        ",First Name,Middle Name,Last Name,Notes,E-mail 1 - Label,E-mail 1 - Value,Phone 1 - Label,Phone 1 - "
        "Value,"
        "Address 1 - Formatted,Address 1 - Street,Address 1 - City,Address 1 - Postal Code,Website 1 - "
        "Value\r\n"
        "Imre,,Kis,\"k\xC3\xA9t\nsor\",* Home,a@p.hu ::: b@p.hu,Mobile,+36 30 1,\"F\xC5\x91 "
        "u.\nBp\",,,,http://k.hu\r\n"
        "Anna,B,Minta,,,,Work,1,,Kossuth t\xC3\xA9r 2.,Szeged,6720,\r\n");
    put(dir, "outlook_hu",
        ",\"Ut\xF3n\xE9v\",\"Vezet\xE9kn\xE9v\",\"Otthoni telefon\",\"Mobiltelefon\",\"E-mail "
        "c\xEDm\",\"Otthoni utca\","
        "\"Otthoni v\xE1ros\",\"Otthoni ir\xE1ny\xEDt\xF3sz\xE1m\",\"Jegyzetek\",\"C\xE9g\"\r\n"
        "\"\xDCgyes\",\"\xD5ry\",\"1\",\"2\",\"u@p.hu\",\"R\xF3zsa u. "
        "5.\",\"Debrecen\",\"4025\",\"a\r\nb\",\"\"\r\n");
    put(dir, "excel_positional",
        ";N\xE9v;E-mail c\xEDm;Telefon\r\nSz\xF5ke;\"a;\"\"b\"\"\";1\r\n;;\r\nT\xF3th \"T\" "
        "\xC1"
        "bel;t@p.hu\r\n");
    put(dir, "cut_quote", ",a,b\r\nx,\"y\r\nz");
}

void ldifCorpus(const fs::path& dir) {
    put(dir, "thunderbird",
        "dn: cn=Kis Imre,mail=kis@pelda.hu\nobjectclass: top\nobjectclass: person\ngivenName: Imre\nsn: Kis\n"
        "cn: Kis Imre\nmail: kis@pelda.hu\ntelephoneNumber: 1\nmobile: 2\nmozillaHomeStreet:: "
        "RsWRIHV0Y2EgMS4=\n"
        "mozillaHomeLocalityName: Budapest\nmozillaHomePostalCode: 1011\nmozillaHomeUrl: http://k.hu\n"
        "description:: UsOpZ2kga29sbMOpZ2EuCk3DoXNvZGlrIHNvci4=\n\n"
        "dn:: Y249xZByeSDDnGd5ZXMgw4FydsOtenTFsXLFkSxtYWlsPW9yeUBwZWxkYS5odQ==\nobjectclass: top\n"
        "cn:: xZByeSDDnGd5ZXMgw4FydsOtenTFsXLFkQ==\nmail: ory@pelda.hu\npostalAddress: a$b\\24c\n\n"
        "dn: cn=Bar\xC3\xA1tok\nobjectclass: groupOfNames\ncn: Bar\xC3\xA1tok\n\n");
    put(dir, "old_netscape",
        "# comment\r\n version: 1\r\ndn: cn=Minta\\, Anna,mail=anna@pelda.hu\r\n\r\n"
        "dn: cn=\"Kis, Imre\";mail=k@p.hu\r\ndescription: a\r\n b\r\nlabeledURI: http://k.hu k\r\n"
        "street: Ipari \xFA"
        "t 7.\r\nl: P\xE9"
        "cs\r\npostalCode: 7621\r\ncn;lang-hu:< file:///x\r\n");
}

void namedaysCorpus(const fs::path& dir) {
    put(dir, "few_days",
        utf8ToCp1250("01.01 Fruzsina \n01.02 Ábel \n01.03 Genovéva Benjámin \n02.29 Elemér \n"
                     "12.31 Szilveszter \n"));
    put(dir, "crlf_no_trailing_space", utf8ToCp1250("03.05 Adorján Kornél\r\n\r\n03.06 Anna Marietta\r\n"));
    put(dir, "repeated_key", utf8ToCp1250("05.01 Fülöp \n05.01 Jakab \n5.1 Anna \n05.02Zsigmond \n"));
}

void instanceCorpus(const fs::path& dir) {
    const ExeIdentity id = identityOf("zelmoran");
    const auto str = [](const auto& a) { return std::string(a.begin(), a.end()); };
    put(dir, "query", encodeEnquiry(id, {InstanceRequest::Query, ""}));
    put(dir, "activate", encodeEnquiry(id, {InstanceRequest::Activate, ""}));
    put(dir, "activate_token", encodeEnquiry(id, {InstanceRequest::Activate, "2f0c8e_TIME1234"}));
    put(dir, "record", str(encodeRecord(InstanceRecord{4242, 0x0123abcd, 45356.75})));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const fs::path root = argv[1];
    eventCorpus(root / "fuzz_event_file");
    settingsCorpus(root / "fuzz_settings");
    partnerCorpus(root / "fuzz_partner");
    cp1250Corpus(root / "fuzz_cp1250");
    datetimeCorpus(root / "fuzz_datetime");
    vcardCorpus(root / "fuzz_vcard");
    csvCorpus(root / "fuzz_csv");
    ldifCorpus(root / "fuzz_ldif");
    namedaysCorpus(root / "fuzz_namedays");
    instanceCorpus(root / "fuzz_instance");
    return 0;
}
