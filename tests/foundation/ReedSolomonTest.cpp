#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "foundation/VekGaloisField.h"
#include "foundation/VekReedSolomon.h"

namespace orvel {
namespace {

// The codes the symbologies use, with a block length and check count each
// family has (QR 1-L and 40-H, Data Matrix 10 x 10 and 144 x 144, the Aztec
// mode messages and data blocks of several sizes).
struct TFamilyCode {
    const char* name;
    int32_t m;
    uint32_t polynomial;
    int32_t firstRoot;
    int32_t checkSymbols;
    int32_t length;
};

const TFamilyCode kFamilyCodes[] = {
    {"QR 1-L", 8, 0x11D, 0, 7, 26},
    {"QR 40-H", 8, 0x11D, 0, 30, 45},
    {"Data Matrix 10x10", 8, 0x12D, 1, 5, 8},
    {"Data Matrix 144x144", 8, 0x12D, 1, 62, 218},
    {"Aztec compact mode", 4, 0x13, 1, 5, 7},
    {"Aztec full mode", 4, 0x13, 1, 6, 10},
    {"Aztec GF(64)", 6, 0x43, 1, 15, 17},
    {"Aztec GF(256)", 8, 0x12D, 1, 21, 60},
    {"Aztec GF(1024)", 10, 0x409, 1, 90, 400},
    {"Aztec GF(4096)", 12, 0x1069, 1, 300, 1500},
};

TVekReedSolomon codeOf(const TFamilyCode& c) {
    return TVekReedSolomon(TVekGaloisField::get(c.m, c.polynomial), c.checkSymbols, c.firstRoot);
}

TVectorInteger randomCodeword(const TVekReedSolomon& code, int32_t length, std::mt19937& random) {
    std::uniform_int_distribution<int32_t> symbol(0, code.field().order());
    TVectorInteger word(static_cast<size_t>(length));
    for (int32_t& s : word) s = symbol(random);
    code.encode(word);
    return word;
}

// `count` distinct positions of a block of `length`.
TVectorInteger randomPositions(int32_t count, int32_t length, std::mt19937& random) {
    TVectorInteger all(static_cast<size_t>(length));
    for (int32_t i = 0; i < length; ++i) all[static_cast<size_t>(i)] = i;
    std::shuffle(all.begin(), all.end(), random);
    all.resize(static_cast<size_t>(count));
    return all;
}

// A received block: `errors` symbols changed, then `erasures` more positions
// given a random value (possibly the right one) and named as erasures.
struct TDamage {
    TVectorInteger word;
    TVectorInteger erasures;
};

TDamage damage(const TVectorInteger& clean, int32_t errors, int32_t erasures, int32_t order, std::mt19937& random) {
    TDamage d{clean, {}};
    const TVectorInteger positions = randomPositions(errors + erasures, static_cast<int32_t>(clean.size()), random);
    std::uniform_int_distribution<int32_t> flip(1, order);
    std::uniform_int_distribution<int32_t> any(0, order);
    for (int32_t i = 0; i < errors; ++i) d.word[static_cast<size_t>(positions[static_cast<size_t>(i)])] ^= flip(random);
    for (int32_t i = errors; i < errors + erasures; ++i) {
        const int32_t p = positions[static_cast<size_t>(i)];
        d.word[static_cast<size_t>(p)] = any(random);
        d.erasures.push_back(p);
    }
    return d;
}

int32_t differences(const TVectorInteger& a, const TVectorInteger& b) {
    int32_t count = 0;
    for (size_t i = 0; i < a.size(); ++i) count += a[i] != b[i] ? 1 : 0;
    return count;
}

TEST(ReedSolomon, FieldsAreBuiltOnceAndSharedAcrossThreads) {
    EXPECT_EQ(TVekGaloisField::get(8, 0x11D).exp(8), 0x1D);
    EXPECT_EQ(TVekGaloisField::get(8, 0x12D).exp(8), 0x2D);
    EXPECT_EQ(TVekGaloisField::get(4, 0x13).exp(4), 3);
    EXPECT_EQ(TVekGaloisField::get(8, 0x11D).log(0), -1);
    EXPECT_EQ(&TVekGaloisField::get(8, 0x11D), &TVekGaloisField::get(8, TVectorInteger{1, 0, 1, 1, 1, 0, 0, 0, 1}));
    for (const TFamilyCode& c : kFamilyCodes) {
        const TVekGaloisField& field = TVekGaloisField::get(c.m, c.polynomial);
        for (int32_t a = 1; a <= field.order(); a += 7) {
            EXPECT_EQ(field.exp(field.log(a)), a);
            EXPECT_EQ(field.multiply(field.divide(a, 5), 5), a);
        }
    }

    // GF(65536) is made by the first of several threads asking at once.
    std::vector<const TVekGaloisField*> seen(4, nullptr);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = &TVekGaloisField::get(16, 0x1100B); });
    for (std::thread& t : threads) t.join();
    for (const TVekGaloisField* field : seen) EXPECT_EQ(field, seen[0]);
    EXPECT_EQ(seen[0]->order(), 65535);

    EXPECT_THROW(TVekGaloisField::get(8, 0x1FF), std::invalid_argument);  // not primitive
    EXPECT_THROW(TVekGaloisField::get(4, 0x11), std::invalid_argument);   // x^4 + 1
    EXPECT_THROW(TVekGaloisField::get(8, 0x13), std::invalid_argument);   // degree 4
    EXPECT_THROW(TVekGaloisField::get(17, 0x20009), std::invalid_argument);
    EXPECT_THROW(TVekGaloisField::get(8, TVectorInteger{1, 1}), std::invalid_argument);
    const TVekGaloisField& qr = TVekGaloisField::get(8, 0x11D);
    EXPECT_THROW(TVekReedSolomon(qr, 0, 0), std::invalid_argument);
    EXPECT_THROW(TVekReedSolomon(qr, 255, 0), std::invalid_argument);
    EXPECT_THROW(TVekReedSolomon(qr, 10, -1), std::invalid_argument);
}

// Check words of the worked examples of the symbol standards: Data Matrix
// "123456" in a 10 x 10 symbol, QR "01234567" as version 1-M.
TEST(ReedSolomon, EncodesTheStandardExamples) {
    const TVekReedSolomon dm(TVekGaloisField::get(8, 0x12D), 5, 1);
    TVectorInteger block{0, 0, 0, 0, 0, 186, 164, 142};
    dm.encode(block);
    EXPECT_EQ(block, (TVectorInteger{102, 88, 5, 25, 114, 186, 164, 142}));

    const TVekReedSolomon qr(TVekGaloisField::get(8, 0x11D), 10, 0);
    const TVectorInteger data{16, 32, 12, 86, 97, 128, 236, 17, 236, 17, 236, 17, 236, 17, 236, 17};
    TVectorInteger word(10 + data.size(), 0);
    std::reverse_copy(data.begin(), data.end(), word.begin() + 10);
    qr.encode(word);
    const TVectorInteger check{165, 36, 212, 193, 237, 54, 199, 135, 44, 85};
    EXPECT_TRUE(std::equal(check.rbegin(), check.rend(), word.begin()));
}

// Every mix of e errors and f erasures with 2e + f <= K comes back exactly,
// at random positions of random codewords, in every family's code.
TEST(ReedSolomon, CorrectsErrorsAndErasuresUpToCapacity) {
    std::mt19937 random(15);
    for (const TFamilyCode& c : kFamilyCodes) {
        const TVekReedSolomon code = codeOf(c);
        const int32_t k = c.checkSymbols;
        const int32_t rounds = c.m >= 10 ? 6 : 40;
        for (int32_t round = 0; round < rounds; ++round) {
            const TVectorInteger clean = randomCodeword(code, c.length, random);
            // The first rounds take the corners: errors only, erasures only.
            const int32_t f = round == 0 ? 0 : round == 1 ? k : static_cast<int32_t>(random() % (k + 1));
            const int32_t e = (k - f) / 2 - (round % 3 == 2 ? static_cast<int32_t>(random() % ((k - f) / 2 + 1)) : 0);
            TDamage d = damage(clean, e, f, code.field().order(), random);
            const int32_t changed = differences(d.word, clean);
            ASSERT_EQ(code.correct(d.word, d.erasures), changed) << c.name << " e=" << e << " f=" << f;
            ASSERT_EQ(d.word, clean) << c.name << " e=" << e << " f=" << f;
        }
        TVectorInteger word = randomCodeword(code, c.length, random);
        EXPECT_EQ(code.correct(word), 0) << c.name;
    }
}

// One error beyond capacity: the block is either refused and left as it was,
// or (rarely, when the damage happens to land near another codeword) changed
// into a codeword within the correction radius. Never anything else.
TEST(ReedSolomon, BeyondCapacityFailsOrFindsAnotherCodeword) {
    std::mt19937 random(16);
    for (const TFamilyCode& c : kFamilyCodes) {
        const TVekReedSolomon code = codeOf(c);
        const int32_t k = c.checkSymbols;
        const int32_t rounds = c.m >= 10 ? 6 : 40;
        int32_t refused = 0;
        for (int32_t round = 0; round < rounds; ++round) {
            const TVectorInteger clean = randomCodeword(code, c.length, random);
            const int32_t f = static_cast<int32_t>(random() % (k / 2 + 1));
            const int32_t e = (k - f) / 2 + 1;
            TDamage d = damage(clean, e, f, code.field().order(), random);
            const TVectorInteger received = d.word;
            const int32_t result = code.correct(d.word, d.erasures);
            if (result == TVekReedSolomon::uncorrectable) {
                ++refused;
                EXPECT_EQ(d.word, received) << c.name;
                continue;
            }
            EXPECT_NE(d.word, clean) << c.name;
            EXPECT_EQ(result, differences(d.word, received));
            TVectorInteger again = d.word;
            EXPECT_EQ(code.correct(again), 0) << c.name << ": a correction that is no codeword";
            int32_t outsideErasures = result;
            for (int32_t p : d.erasures) outsideErasures -= d.word[p] != received[p] ? 1 : 0;
            EXPECT_LE(2 * outsideErasures + f, k) << c.name;
        }
        EXPECT_GE(refused, rounds * 3 / 4) << c.name;
    }
}

// x^(L-K) g(x) is a codeword whose top term lies just above a block of L
// symbols. Its lower L symbols are one error away from it, and far from any
// codeword of the shortened block: the full-length code "corrects" them, the
// block refuses.
TEST(ReedSolomon, CorrectionsAboveTheBlockAreRefused) {
    for (const TFamilyCode& c : kFamilyCodes) {
        const TVekReedSolomon code = codeOf(c);
        const int32_t k = c.checkSymbols;
        TVectorInteger block(static_cast<size_t>(c.length), 0);
        std::copy(code.generator().begin(), code.generator().end() - 1, block.end() - k);
        const TVectorInteger received = block;
        EXPECT_EQ(code.correct(block), TVekReedSolomon::uncorrectable) << c.name;
        EXPECT_EQ(block, received) << c.name;

        TVectorInteger full(static_cast<size_t>(code.field().order()), 0);
        std::copy(received.begin(), received.end(), full.begin());
        EXPECT_EQ(code.correct(full), 1) << c.name;
        EXPECT_EQ(full[static_cast<size_t>(c.length)], 1) << c.name;
    }
}

TEST(ReedSolomon, MalformedInputIsRefusedUntouched) {
    std::mt19937 random(17);
    const TVekReedSolomon code(TVekGaloisField::get(8, 0x11D), 10, 0);
    const TVectorInteger clean = randomCodeword(code, 40, random);
    auto refused = [&](TVectorInteger word, const TVectorInteger& erasures, const std::string& what) {
        const TVectorInteger received = word;
        EXPECT_EQ(code.correct(word, erasures), TVekReedSolomon::uncorrectable) << what;
        EXPECT_EQ(word, received) << what;
    };
    TVectorInteger wide = clean;
    wide[3] = 256;
    refused(wide, {}, "symbol outside the field");
    wide[3] = -1;
    refused(wide, {}, "negative symbol");
    refused(TVectorInteger(256, 0), {}, "longer than n");
    refused(clean, {40}, "erasure outside the block");
    refused(clean, {-1}, "negative erasure");
    refused(clean, {5, 5}, "erasure named twice");
    refused(clean, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, "more erasures than check symbols");
    TVectorInteger empty;
    EXPECT_EQ(code.correct(empty), 0);
}

}  // namespace
}  // namespace orvel
