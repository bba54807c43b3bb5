// Load + assemble of a typical bibliographic record with five 856 fields, and the 856 rewrite the
// link job makes on it. "--write-sample FILE N" writes the record N times to FILE, for timing other
// MARC tools on the same input.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "kit/Files.h"
#include "kit/MarcBuilder.h"
#include "marc/Utf8MarcRecordClass.h"

namespace {

using linkmend::test::BuildRecord;

// About 1.5 KB: a book with subjects, added entries and five links.
const std::string& TypicalRecord() {
    static const std::string record = BuildRecord(
        "00000cam a2200000 a 4500",
        {"001 92005291",
         "003 DLC",
         "005 19930521155141.9",
         "008 920219s1993    caua   j      000 0 eng  ",
         "010    $a   92005291 ",
         "020    $a0152038655 :$c$15.95",
         "040    $aDLC$cDLC$dDLC",
         "050 00 $aPS3537.A618$bA88 1993",
         "082 00 $a811/.52$220",
         "100 1  $aSandburg, Carl,$d1878-1967.",
         "245 10 $aArithmetic /$cCarl Sandburg ; illustrated as an anamorphic adventure by Ted Rand.",
         "250    $a1st ed.",
         "260    $aSan Diego :$bHarcourt Brace Jovanovich,$cc1993.",
         "300    $a1 v. (unpaged) :$bill. (some col.) ;$c26 cm.",
         "500    $aOne Mylar sheet included in pocket.",
         "520    $aA poem about numbers and their characteristics. Features anamorphic, or distorted, drawings "
         "which can be restored to normal by viewing from a particular angle or by viewing the image's "
         "reflection in the provided Mylar cone.",
         "650  0 $aArithmetic$xJuvenile poetry.",
         "650  0 $aChildren's poetry, American.",
         "650  1 $aArithmetic$xPoetry.",
         "650  1 $aAmerican poetry.",
         "650  1 $aVisual perception.",
         "700 1  $aRand, Ted,$eill.",
         "856 41 $3Table of contents$uhttp://www.catalog.example.edu/toc/92005291.html$zTable of contents only",
         "856 42 $3Publisher description$uhttp://www.catalog.example.edu/pub/92005291.html",
         "856 40 $uhttp://proxy.library.example.edu/login?url=http://ebooks.example.com/9780152038656$zOnline "
         "access for members of the university$xebook vendor 2019",
         "856 41 $3Contributor biographical information$uhttp://www.catalog.example.edu/bio/92005291.html",
         "856 42 $3Sample text$uhttp://www.catalog.example.edu/samples/92005291.html$yExcerpt"});
    return record;
}

std::string EmptyFolder() {
    static const linkmend::test::TempDir folder;
    return folder.Path();
}

// As the job sets it up: field order by the built-in instructions, UTF-8 in and out.
void Prepare(linkmend::Utf8MarcRecordClass& rec) {
    rec.FldOrderFolder(EmptyFolder());
    rec.CharacterSetIn("U");
    rec.CharacterSetOut("U");
}

void BM_LoadAndAssemble(benchmark::State& state) {
    linkmend::Utf8MarcRecordClass rec;
    Prepare(rec);
    const std::string& record = TypicalRecord();
    for (auto _ : state) {
        rec.MarcRecordIn(record);
        std::string out = rec.MarcRecordOut();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * record.size()));
    state.counters["record_octets"] = static_cast<double>(record.size());
}
BENCHMARK(BM_LoadAndAssemble);

void BM_Load(benchmark::State& state) {
    linkmend::Utf8MarcRecordClass rec;
    Prepare(rec);
    const std::string& record = TypicalRecord();
    for (auto _ : state) {
        rec.MarcRecordIn(record);
        benchmark::DoNotOptimize(rec.FldPointer());
    }
}
BENCHMARK(BM_Load);

void BM_Rewrite856(benchmark::State& state) {
    linkmend::Utf8MarcRecordClass rec;
    Prepare(rec);
    const std::string& record = TypicalRecord();
    const std::string stem = "http://www.catalog.example.edu/";
    const std::string newStem = "https://catalog.example.edu/";
    for (auto _ : state) {
        rec.MarcRecordIn(record);
        rec.FldMoveTop();
        while (rec.FldFindNext("856")) {
            if (!rec.SfdFindFirst("u")) continue;
            const std::string url = rec.SfdText();
            if (url.compare(0, stem.size(), stem) != 0) continue;
            rec.SfdText(
                linkmend::Utf8MarcRecordClass::SafeStuff(url, 1, static_cast<std::int16_t>(stem.size()), newStem));
        }
        std::string out = rec.MarcRecordOut();
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_Rewrite856);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--write-sample") == 0) {
        std::ofstream out(argv[2], std::ios::binary);
        for (long i = std::strtol(argv[3], nullptr, 10); i > 0; --i) out << TypicalRecord();
        return out ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
