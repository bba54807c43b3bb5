// MARC-8 -> UTF-8 translation of whole records (Latin with diacritics; CJK), field by field and
// through the record class; reading a 50 MB file of generated records; and the whole conversion of
// that file (read, translate every field, assemble, write) against yaz-marcdump -f marc8 -t utf8
// -o marc on the same file in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "kit/MarcBuilder.h"
#include "marc/Marc8Text.h"
#include "marc/Utf8MarcFileClass.h"
#include "marc/Utf8MarcRecordClass.h"

using namespace linkmend;

namespace {

// An ISO 2709 record of data fields with the given tags and texts (octets as they stand).
std::string Record(const std::vector<test::RawField>& fields, char coding = ' ') {
    return test::AssembleRecord(test::Leader('a', coding), fields);
}

std::string LatinText(std::mt19937& random, std::size_t words) {
    static const char* const kWords[] = {"Dvo\xE9rak",
                                         "Anton\xEDn",
                                         "symfonie",
                                         "\xE2"
                                         "etude",
                                         "Nguy\xE3\xF2"
                                         "en",
                                         "Bibliotheca",
                                         "Gr\xE8"
                                         "unde",
                                         "historia",
                                         "S\xE3\xF2"
                                         "ao",
                                         "Paulo",
                                         "W\xB1odzimierz",
                                         "and",
                                         "the",
                                         "of",
                                         "catalogue",
                                         "1998."};
    std::string text;
    for (std::size_t i = 0; i < words; ++i) {
        if (i) text += ' ';
        text += kWords[random() % std::size(kWords)];
    }
    return text;
}

std::string CjkText(std::mt19937& random, std::size_t characters) {
    std::string text = "\x1B$1";
    for (std::size_t i = 0; i < characters; ++i) {
        const auto& e = marc8::kEastAsianByCode[random() % 4000];
        text.push_back(static_cast<char>(e.code >> 16));
        text.push_back(static_cast<char>((e.code >> 8) & 0xFF));
        text.push_back(static_cast<char>(e.code & 0xFF));
    }
    return text + "\x1B(B";
}

std::string LatinRecord(std::mt19937& random) {
    return Record({{"001", "ocm" + std::to_string(random() % 100000000)},
                   {"008", "980512s1998    xx a          000 0 eng d"},
                   {"100",
                    "1 \x1F"
                    "a" +
                        LatinText(random, 3)},
                   {"245",
                    "14\x1F"
                    "aThe " +
                        LatinText(random, 12) +
                        " /\x1F"
                        "c" +
                        LatinText(random, 4)},
                   {"260",
                    "  \x1F"
                    "a" +
                        LatinText(random, 2) +
                        " :\x1F"
                        "b" +
                        LatinText(random, 3)},
                   {"500",
                    "  \x1F"
                    "a" +
                        LatinText(random, 40)},
                   {"650",
                    " 0\x1F"
                    "a" +
                        LatinText(random, 4) +
                        "\x1F"
                        "x" +
                        LatinText(random, 2)},
                   {"856",
                    "40\x1F"
                    "uhttp://example.org/" +
                        std::to_string(random())}});
}

std::string CjkRecord(std::mt19937& random) {
    return Record({{"001", "cjk" + std::to_string(random() % 100000000)},
                   {"066",
                    "  \x1F"
                    "c$1"},
                   {"245",
                    "10\x1F"
                    "6880-01\x1F"
                    "aZhongguo li shi /\x1F"
                    "cWang"},
                   {"880",
                    "10\x1F"
                    "6245-01/$1\x1F"
                    "a" +
                        CjkText(random, 12) +
                        " /\x1F"
                        "c" +
                        CjkText(random, 4)},
                   {"880",
                    "  \x1F"
                    "6260-02/$1\x1F"
                    "a" +
                        CjkText(random, 3) +
                        " :\x1F"
                        "b" +
                        CjkText(random, 8)},
                   {"880",
                    "  \x1F"
                    "6500-03/$1\x1F"
                    "a" +
                        CjkText(random, 60)}});
}

// Translates every field of a MARC-8 record and assembles the UTF-8 record (leader/09 "a").
void Convert(const std::string& record, std::string& out, std::string& directory, std::string& data) {
    const std::size_t base = std::strtoul(record.substr(12, 5).c_str(), nullptr, 10);
    directory.clear();
    data.clear();
    char entry[16];
    for (std::size_t d = 24; d + 12 < base; d += 12) {
        const std::size_t length = std::strtoul(record.substr(d + 3, 4).c_str(), nullptr, 10);
        const std::size_t start = std::strtoul(record.substr(d + 7, 5).c_str(), nullptr, 10);
        if (base + start + length > record.size()) break;
        const std::size_t from = data.size();
        marc8::WorkingSets sets;
        marc8::Marc8ToUtf8(std::string_view(record).substr(base + start, length), sets, {}, data);
        std::snprintf(entry, sizeof entry, "%.3s%04zu%05zu", record.data() + d, data.size() - from, from);
        directory += entry;
    }
    char leader[32];
    const std::size_t newBase = 24 + directory.size() + 1;
    std::snprintf(leader, sizeof leader, "%05zu%.4sa%.2s%05zu%.7s", newBase + data.size() + 1, record.data() + 5,
                  record.data() + 10, newBase, record.data() + 17);
    out.assign(leader);
    out += directory;
    out += '\x1E';
    out += data;
    out += '\x1D';
}

void TranslateRecords(benchmark::State& state, std::string (*make)(std::mt19937&)) {
    std::mt19937 random(7);
    std::vector<std::string> records;
    std::size_t octets = 0;
    for (int i = 0; i < 200; ++i) {
        records.push_back(make(random));
        octets += records.back().size();
    }
    std::string out, directory, data;
    for (auto _ : state) {
        for (const auto& r : records) Convert(r, out, directory, data);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * octets));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * records.size()));
}

void BM_Marc8ToUtf8_LatinRecords(benchmark::State& state) { TranslateRecords(state, LatinRecord); }
void BM_Marc8ToUtf8_CjkRecords(benchmark::State& state) { TranslateRecords(state, CjkRecord); }

// The same through the record class: load (characterise, parse, translate to UTF-8) and assemble.
void RecordClassRecords(benchmark::State& state, std::string (*make)(std::mt19937&)) {
    std::mt19937 random(7);
    std::vector<std::string> records;
    std::size_t octets = 0;
    for (int i = 0; i < 200; ++i) {
        records.push_back(make(random));
        octets += records.back().size();
    }
    Utf8MarcRecordClass r;
    r.MakeNoChange(true);
    r.CharacterSetOut("U");
    for (auto _ : state) {
        for (const auto& record : records) {
            r.MarcRecordIn(record);
            benchmark::DoNotOptimize(r.MarcRecordOut());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * octets));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * records.size()));
}

void BM_RecordClass_LatinRecords(benchmark::State& state) { RecordClassRecords(state, LatinRecord); }
void BM_RecordClass_CjkRecords(benchmark::State& state) { RecordClassRecords(state, CjkRecord); }

// The 50 MB file: Latin records with one CJK record in ten, built once per run.
const std::string& BigFile() {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        const std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/linkmend-bench-marc8.mrc";
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        std::mt19937 random(11);
        std::size_t size = 0;
        for (int i = 0; size < 50u * 1024 * 1024; ++i) {
            const std::string r = i % 10 == 9 ? CjkRecord(random) : LatinRecord(random);
            out << r;
            size += r.size();
        }
        return p;
    }();
    return path;
}

std::int64_t FileSize(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    return static_cast<std::int64_t>(in.tellg());
}

void BM_FileRead(benchmark::State& state) {
    const std::string& path = BigFile();
    std::size_t records = 0;
    for (auto _ : state) {
        Utf8MarcFileClass f;
        f.OpenFile(path);
        std::string r;
        while (f.ReadNextRecord(r)) ++records;
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
    state.counters["records"] = static_cast<double>(records / state.iterations());
}

void BM_FileConvert_Linkmend(benchmark::State& state) {
    const std::string& path = BigFile();
    for (auto _ : state) {
        Utf8MarcFileClass f;
        f.OpenFile(path);
        std::FILE* sink = std::fopen("/dev/null", "wb");
        std::string r, out, directory, data;
        while (f.ReadNextRecord(r)) {
            Convert(r, out, directory, data);
            std::fwrite(out.data(), 1, out.size(), sink);
        }
        std::fclose(sink);
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
}

void BM_FileConvert_RecordClass(benchmark::State& state) {
    const std::string& path = BigFile();
    for (auto _ : state) {
        Utf8MarcFileClass f;
        f.OpenFile(path);
        Utf8MarcRecordClass r;
        r.MakeNoChange(true);
        r.CharacterSetOut("U");
        std::FILE* sink = std::fopen("/dev/null", "wb");
        std::string record;
        while (f.ReadNextRecord(record)) {
            r.MarcRecordIn(record);
            const std::string out = r.MarcRecordOut();
            std::fwrite(out.data(), 1, out.size(), sink);
        }
        std::fclose(sink);
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
}

void BM_FileConvert_YazMarcdump(benchmark::State& state) {
    const std::string& path = BigFile();
    const std::string command = "yaz-marcdump -f marc8 -t utf8 -o marc " + path + " >/dev/null 2>&1";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("yaz-marcdump failed or is not installed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
}

BENCHMARK(BM_Marc8ToUtf8_LatinRecords);
BENCHMARK(BM_Marc8ToUtf8_CjkRecords);
BENCHMARK(BM_RecordClass_LatinRecords);
BENCHMARK(BM_RecordClass_CjkRecords);
BENCHMARK(BM_FileRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FileConvert_Linkmend)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FileConvert_RecordClass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FileConvert_YazMarcdump)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
