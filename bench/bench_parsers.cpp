// Parsing speed of the linear symbology parsers: 10 000 width lists of one
// symbol per symbology, printed at 1 to 4 pixels per module with ink spread
// and a little jitter, as the 1D reader hands them over.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "oned/VekCodabarParser.h"
#include "oned/VekCode128Parser.h"
#include "oned/VekCode25InterleavedParser.h"
#include "oned/VekCode39Parser.h"
#include "oned/VekCodeEAN13Parser.h"
#include "oned/VekCodeEAN8Parser.h"
#include "oned/VekCodeUPCAParser.h"
#include "oned/VekCodeUPCEParser.h"
#include "oned/VekIdentcodeParser.h"

namespace {

using orvel::TVectorDouble;

constexpr int LISTS = 10000;

// Element widths in modules of zint symbols, quiet zones stripped.
const char* const CODE128 = "2112141331211212414112121122142211142122221232211123131221321232212232113112222311132331112";
const char* const EAN13 = "11132111123111414113121122211111141114111411311214112221111";
const char* const EAN8 = "1113112111414111213111111231321113121132111";
const char* const UPCA = "11132111411111432113211321111111212231122221113212312122111";
const char* const UPCE = "111122221221411231113211114111111";
const char* const CODE39 =
    "121121211121112112112111112211122111112121112211111121111221121111212121221111111122112111121121211";
const char* const INTERLEAVED25 = "111131131111333131131113311333111113111133311131133311311";
const char* const IDENTCODE = "1111311333111133311111131113313113131331113113133131113313111131311";
const char* const CODABAR = "1122121111211211111112211111221121111211121111211212112";

std::vector<TVectorDouble> widthLists(const std::string& modules) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> scale(1, 4);
    std::uniform_real_distribution<double> jitter(-0.15, 0.15);
    std::vector<TVectorDouble> lists(LISTS);
    for (int n = 0; n < LISTS; ++n) {
        const int s = scale(random);
        const double spread = s == 1 ? 0.0 : 0.5 * (n % 3);
        const bool reversed = n % 2 == 1;
        TVectorDouble& widths = lists[static_cast<size_t>(n)];
        for (size_t i = 0; i < modules.size(); ++i) {
            const size_t k = reversed ? modules.size() - 1 - i : i;
            const double ink = (k % 2 == 0 ? spread : -spread);
            widths.push_back((modules[k] - '0') * s + ink + (s > 1 ? jitter(random) : 0.0));
        }
    }
    return lists;
}

template <typename Parser>
void parseLists(benchmark::State& state, const char* modules) {
    const std::vector<TVectorDouble> lists = widthLists(modules);
    int64_t decoded = 0;
    for (auto _ : state) {
        decoded = 0;
        for (const TVectorDouble& widths : lists) {
            Parser parser;
            parser.setWidths(widths);
            if (parser.parse()) ++decoded;
            benchmark::DoNotOptimize(parser.getCode().data());
        }
    }
    state.counters["lists"] = LISTS;
    state.counters["decoded"] = static_cast<double>(decoded);
    state.SetItemsProcessed(state.iterations() * LISTS);
}

void BM_Code128(benchmark::State& state) { parseLists<orvel::TVekCode128Parser>(state, CODE128); }
void BM_EAN13(benchmark::State& state) { parseLists<orvel::TVekCodeEAN13Parser>(state, EAN13); }
void BM_EAN8(benchmark::State& state) { parseLists<orvel::TVekCodeEAN8Parser>(state, EAN8); }
void BM_UPCA(benchmark::State& state) { parseLists<orvel::TVekCodeUPCAParser>(state, UPCA); }
void BM_UPCE(benchmark::State& state) { parseLists<orvel::TVekCodeUPCEParser>(state, UPCE); }
void BM_Code39(benchmark::State& state) { parseLists<orvel::TVekCode39Parser>(state, CODE39); }
void BM_Interleaved25(benchmark::State& state) { parseLists<orvel::TVekCode25InterleavedParser>(state, INTERLEAVED25); }
void BM_Identcode(benchmark::State& state) { parseLists<orvel::TVekIdentcodeParser>(state, IDENTCODE); }
void BM_Codabar(benchmark::State& state) { parseLists<orvel::TVekCodabarParser>(state, CODABAR); }
// The cost of a failure: the Code 128 parser on EAN-13 lists, both
// directions tried, as the reader does for every candidate of another
// symbology.
void BM_Code128OnEAN13(benchmark::State& state) { parseLists<orvel::TVekCode128Parser>(state, EAN13); }

BENCHMARK(BM_Code128)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EAN13)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EAN8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UPCA)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UPCE)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Code39)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Interleaved25)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Identcode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Codabar)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Code128OnEAN13)->Unit(benchmark::kMillisecond);

}  // namespace
