// Reading a 10,000-card vCard file and adding its people to a 10,000-partner file, the one rewrite
// included, against reading the same file into memory.
#include "bench_data.h"

#include "core/exchange/contacts.h"
#include "core/exchange/partner_import.h"
#include "core/storage/record_file.h"
#include "core/text/cp1250.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

namespace zel::bench {
namespace {

namespace fs = std::filesystem;
constexpr std::size_t kPeople = 10'000;

std::string number(std::size_t k) {
    char text[8];
    std::snprintf(text, sizeof text, "%05zu", k);
    return text;
}

// Partners "Partner 00000, 00002, …" and cards of the odd numbers, so every newcomer lands between
// two partners and the merge walks the whole file.
std::string partnerFile() {
    std::string bytes;
    for (std::size_t k = 0; k < kPeople; ++k) {
        PartnerRecord p;
        p.name = "Partner " + number(2 * k);
        p.email = "partner" + number(2 * k) + "@pelda.hu";
        bytes += encodePartner(p);
    }
    return bytes;
}

std::string vcardFile() {
    std::string text;
    for (std::size_t k = 0; k < kPeople; ++k) {
        const std::string n = number(2 * k + 1);
        text += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Partner " + n + "\r\nN:Partner;" + n +
                ";;;\r\nEMAIL;TYPE=INTERNET,PREF:partner" + n + "@pelda.hu\r\nTEL;TYPE=CELL:+36 30 555 " + n +
                "\r\nTEL;TYPE=HOME:+36 1 555 " + n + "\r\nADR;TYPE=HOME:;;Fő utca " + n +
                ".;Budapest;;1011;Magyarország\r\nNOTE:Első sor\\nMásodik sor, amely elég hosszú ahhoz\\, "
                "hogy a sort\r\n  hajtani kelljen\r\nEND:VCARD\r\n";
    }
    return text;
}

struct ImportData {
    TempDir dir{"zel_bench_import_"};
    fs::path partners = dir.path() / "partnerek.dat";
    fs::path cards = dir.path() / "kontaktok.vcf";
    std::string original = partnerFile();
    ImportData() { std::ofstream(cards, std::ios::binary) << vcardFile(); }
};

ImportData& importData() {
    static const auto data = std::make_unique<ImportData>();
    return *data;
}

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return std::move(bytes).str();
}

void P5_read_file(benchmark::State& state) {
    ImportData& d = importData();
    for (auto _ : state)
        benchmark::DoNotOptimize(slurp(d.cards));
}

void P5_import(benchmark::State& state) {
    ImportData& d = importData();
    replaceFile(d.partners, d.original);
    for (auto _ : state) {
        const ContactsRead read = readVCard(slurp(d.cards));
        const PartnerImport done = importPartners(d.partners, read.contacts);
        state.PauseTiming();
        if (done.added.size() != kPeople) {
            state.SkipWithError("not every card became a partner");
            break;
        }
        replaceFile(d.partners, d.original);
        state.ResumeTiming();
    }
}

BENCHMARK(P5_read_file)->Name("P5/read_file")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(P5_import)->Name("P5/import")->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace zel::bench
