#include "bench_data.h"

#include "core/settings/settings_record.h"
#include "core/storage/record_file.h"
#include "core/text/cp1250.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <system_error>

namespace zel::bench {

TempDir::TempDir(const char* prefix) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::system_error(errno, std::generic_category(), pattern);
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

DayNumber firstDay() {
    return dayNumber(2020, 1, 1);
}

EventRecord generatedRecord(EventKind kind, std::size_t k) {
    EventRecord rec;
    // Some inactive rows, as a real file has them; the middle row stays active so it can fire.
    rec.active = k % 10 != 3;
    rec.date = static_cast<double>(firstDay() + static_cast<DayNumber>(k / kEventsPerDay));
    const std::string n = std::to_string(k);
    switch (kind) {
    case EventKind::Reminder:
        rec.text = utf8ToCp1250("Emlékeztető: fogorvos, " + n);
        break;
    case EventKind::Program:
        rec.text = "/usr/bin/backup --full /home/" + n;
        break;
    case EventKind::NameDay:
        rec.text = utf8ToCp1250("Kovács Éva " + n);
        break;
    case EventKind::Birthday:
        rec.text = utf8ToCp1250("Szabó Péter " + n);
        break;
    }
    if (hasTime(kind)) rec.time = storedFromMinute(6 * 60 + static_cast<int>(k % kEventsPerDay) * 45);
    return rec;
}

Recurrence generatedRecurrence(std::size_t k, std::size_t firstRecurring) {
    if (k < firstRecurring || (k - firstRecurring) % kRecurringStride != 0) return Recurrence::Never;
    const std::size_t n = (k - firstRecurring) / kRecurringStride;
    if (n >= kRecurringRows) return Recurrence::Never;
    constexpr Recurrence kInTurn[] = {Recurrence::Daily, Recurrence::Weekly, Recurrence::Monthly,
                                      Recurrence::Yearly};
    return kInTurn[n % 4];
}

namespace {

template <class Recurring> std::string fileOf(EventKind kind, Recurring recurring) {
    std::string bytes;
    bytes.reserve(kRecordsPerFile * recordSize(kind));
    for (std::size_t k = 0; k < kRecordsPerFile; ++k) {
        EventRecord rec = generatedRecord(kind, k);
        if (hasTime(kind)) rec.recurrence = recurring(k);
        bytes += encodeEvent(kind, rec);
    }
    return bytes;
}

} // namespace

std::string generatedFile(EventKind kind) {
    return fileOf(kind, [](std::size_t) { return Recurrence::Never; });
}

std::string generatedFile(EventKind kind, std::size_t firstRecurring) {
    return fileOf(kind, [&](std::size_t k) { return generatedRecurrence(k, firstRecurring); });
}

namespace {

// Hungarian-looking names, also double surnames, every combination once.
std::vector<std::string> partnerNames(std::size_t count) {
    static const char* const surnames[] = {
        "Nagy",   "Kovács", "Tóth",     "Szabó",   "Horváth", "Varga",   "Kiss",     "Molnár", "Németh",
        "Farkas", "Balogh", "Papp",     "Takács",  "Juhász",  "Lakatos", "Mészáros", "Oláh",   "Simon",
        "Rácz",   "Fekete", "Szilágyi", "Török",   "Fehér",   "Balázs",  "Gál",      "Szűcs",  "Kocsis",
        "Pintér", "Fodor",  "Szalai",   "Sipos",   "Magyar",  "Lukács",  "Gulyás",   "Biró",   "Király",
        "Katona", "Jakab",  "Sándor",   "Boros",   "Fazekas", "Kelemen", "Antal",    "Orosz",  "Somogyi",
        "Fülöp",  "Veres",  "Vincze",   "Hegedűs", "Deák",    "Bálint",  "Illés",    "Vass",   "Szőke",
        "Fábián", "Vörös",  "Lengyel",  "Bognár",  "Ökrös",   "Érsek",   "Újvári",   "Áldott",
    };
    static const char* const given[] = {
        "Ádám",   "Anna",   "Attila", "Balázs",  "Bence",     "Csaba",  "Dániel",  "Dóra",
        "Edit",   "Emese",  "Erika",  "Éva",     "Ferenc",    "Gábor",  "Gergely", "Gyula",
        "Ildikó", "István", "Judit",  "Katalin", "Krisztina", "László", "Levente", "Márta",
        "Mária",  "Máté",   "Nóra",   "Orsolya", "Péter",     "Réka",   "Sándor",  "Szilvia",
        "Tamás",  "Tibor",  "Zoltán", "Zsófia",  "Zsuzsanna", "Ödön",   "Őrs",     "Ákos",
    };
    std::vector<std::string> all;
    for (const char* s1 : surnames) {
        for (const char* g : given)
            all.push_back(utf8ToCp1250(std::string(s1) + " " + g));
        for (const char* s2 : surnames)
            if (s1 != s2)
                for (const char* g : given)
                    all.push_back(utf8ToCp1250(std::string(s1) + "-" + s2 + " " + g));
    }
    // Byte order of the Windows-1250 codes, as the partner file keeps it.
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    std::vector<std::string> picked;
    picked.reserve(count);
    for (std::size_t k = 0; k < count; ++k)
        picked.push_back(all[k * all.size() / count]);
    return picked;
}

std::string asciiFolded(const std::string& cp) {
    // For the e-mail and web addresses: letters without accents, lower case, no spaces.
    static const std::map<std::string, char> plain = {
        {"á", 'a'}, {"é", 'e'}, {"í", 'i'}, {"ó", 'o'}, {"ö", 'o'}, {"ő", 'o'},
        {"ú", 'u'}, {"ü", 'u'}, {"ű", 'u'}, {"Á", 'a'}, {"É", 'e'}, {"Í", 'i'},
        {"Ó", 'o'}, {"Ö", 'o'}, {"Ő", 'o'}, {"Ú", 'u'}, {"Ü", 'u'}, {"Ű", 'u'}};
    const std::string utf8 = cp1250ToUtf8(cp);
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            if (c == ' ' || c == '-')
                out += '.';
            else
                out += static_cast<char>(std::tolower(c));
            ++i;
            continue;
        }
        const std::string ch = utf8.substr(i, 2);
        const auto it = plain.find(ch);
        out += it != plain.end() ? it->second : 'x';
        i += 2;
    }
    return out;
}

} // namespace

std::vector<PartnerRecord> generatedPartners(std::size_t count) {
    static const char* const streets[] = {"Petőfi Sándor utca", "Kossuth Lajos tér", "Rákóczi út",
                                          "Dózsa György út",    "Ady Endre utca",    "Széchenyi sétány"};
    static const char* const towns[] = {"1051 Budapest", "4024 Debrecen", "6720 Szeged",
                                        "7621 Pécs",     "9021 Győr",     "3525 Miskolc"};
    const std::vector<std::string> names = partnerNames(count);
    std::vector<PartnerRecord> out;
    out.reserve(names.size());
    for (std::size_t k = 0; k < names.size(); ++k) {
        PartnerRecord p;
        p.name = names[k];
        const std::string login = asciiFolded(names[k]).substr(0, 24);
        p.address = utf8ToCp1250(std::string(towns[k % 6]) + ", " + streets[k / 6 % 6] + " " +
                                 std::to_string(k % 97 + 1) + ".");
        if (k % 4 == 0) p.webAddress = "http://www." + login + ".hu";
        p.email = login + "@pelda.hu";
        p.mobile = "+36 30 " + std::to_string(1'000'000 + k * 37 % 9'000'000);
        p.phone = "+36 1 " + std::to_string(2'000'000 + k * 53 % 7'000'000);
        p.note = utf8ToCp1250("Megismerkedtünk: " + std::to_string(2000 + k % 25) +
                              ". Kedveli a kávét, hétköznap délután hívható; karácsonykor képeslapot kér.");
        out.push_back(std::move(p));
    }
    return out;
}

std::string generatedPartnerFile(std::size_t count) {
    std::string bytes;
    bytes.reserve(count * kPartnerRecordSize);
    for (const PartnerRecord& p : generatedPartners(count))
        bytes += encodePartner(p);
    return bytes;
}

void prepareFullFolder(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "Data");
    replaceFile(folder / "Data" / kPartnerFileName, generatedPartnerFile(kFullPartners));
    for (EventKind k : kAllEventKinds)
        replaceFile(folder / "Data" / eventFileName(k), generatedFile(k));
    writeSettingsFile(folder / kSettingsFileName, encodeSettings(defaultSettings(), SettingsBytes{}));
}

} // namespace zel::bench
