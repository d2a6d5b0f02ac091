#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "PDF417ZintSymbol.h"
#include "pdf417/VekGFPolynomial.h"
#include "pdf417/VekGField.h"
#include "pdf417/VekPDF417RS.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

constexpr int64_t P = 929;

int64_t power3(int64_t e) {
    int64_t v = 1;
    for (int64_t i = 0; i < e; ++i) v = v * 3 % P;
    return v;
}

// Valid symbols come from the systematic encoder, which works in plain
// integer arithmetic apart from the field class that correction uses.
TVectorInteger encode(const TVectorInteger& data, int n) { return TVekPDF417RS::encode(data, n); }

bool syndromesAreZero(const TVectorInteger& codewords, int n) {
    for (int i = 1; i <= n; ++i) {
        const int64_t x = power3(i);
        int64_t sum = 0;
        for (int32_t c : codewords) sum = (sum * x + c) % P;
        if (sum != 0) return false;
    }
    return true;
}

TVectorInteger randomData(std::mt19937& random, int length) {
    std::uniform_int_distribution<int32_t> value(0, 928);
    TVectorInteger data(static_cast<size_t>(length));
    for (auto& d : data) d = value(random);
    return data;
}

// Changes `count` distinct codewords to other values; the last codeword is
// always among them when `includeLast` is set.
TVectorInteger damage(const TVectorInteger& codewords, int count, std::mt19937& random, bool includeLast) {
    TVectorInteger damaged = codewords;
    std::vector<size_t> positions(codewords.size());
    for (size_t i = 0; i < positions.size(); ++i) positions[i] = i;
    std::shuffle(positions.begin(), positions.end(), random);
    if (includeLast) {
        std::iter_swap(positions.begin(), std::find(positions.begin(), positions.end(), codewords.size() - 1));
    }
    std::uniform_int_distribution<int32_t> offset(1, 928);
    for (int i = 0; i < count; ++i) {
        auto& c = damaged[positions[static_cast<size_t>(i)]];
        c = (c + offset(random)) % 929;
    }
    return damaged;
}

TEST(PDF417Field, TablesAndOperations) {
    const TVekGField field(929, 3);
    EXPECT_EQ(field.multiply(3, 3), 9);
    EXPECT_EQ(field.multiply(0, 5), 0);
    EXPECT_EQ(field.multiply(928, 928), 1);
    EXPECT_EQ(field.divide(9, 3), 3);
    EXPECT_EQ(field.divide(1, 3), field.expOf(927));
    EXPECT_EQ(field.add(928, 1), 0);
    EXPECT_EQ(field.subtract(0, 1), 928);
    EXPECT_EQ(field.expOf(1), 3);
    EXPECT_EQ(field.expOf(927), 310);
    EXPECT_EQ(field.expOf(929), 1);
    EXPECT_EQ(field.logOf(3), 1);
    EXPECT_EQ(field.logOf(1), 0);
    EXPECT_EQ(field.logOf(0), 928);
    EXPECT_EQ(field.logOf(929), 928);
    // 929 behaves like 1.
    EXPECT_EQ(field.multiply(929, 7), 7);
    // 3 is primitive: every non-zero element has exactly one logarithm.
    std::set<int32_t> powers;
    for (int32_t i = 0; i < 928; ++i) powers.insert(field.expOf(i));
    EXPECT_EQ(powers.size(), 928u);
    EXPECT_EQ(powers.count(0), 0u);

}

TEST(PDF417Field, Polynomials) {
    const TVekGField field(929, 3);
    EXPECT_EQ(TVekGFPolynomial({5}, field).evaluate(123), 5);
    EXPECT_EQ(TVekGFPolynomial({0, 1}, field).evaluate(7), 7);
    // 2 + 3x + x^2 at x = 928 (= -1): 2 - 3 + 1 = 0.
    EXPECT_EQ(TVekGFPolynomial({2, 3, 1}, field).evaluate(928), 0);

    // (1 + x)(1 + 2x + 3x^2) = 1 + 3x + 5x^2 + 3x^3, truncated to degree 2.
    const TVekGFPolynomial product = TVekGFPolynomial({1, 1}, field).multiplyTruncated(
        TVekGFPolynomial({1, 2, 3}, field), 2);
    EXPECT_EQ(product.getLength(), 3);
    EXPECT_EQ(product.getCoefficient(0), 1);
    EXPECT_EQ(product.getCoefficient(1), 3);
    EXPECT_EQ(product.getCoefficient(2), 5);
}

TEST(PDF417RS, CleanSymbolsAreLeftAlone) {
    std::mt19937 random(17);
    const TVekPDF417RS rs;
    for (int level = 0; level <= 8; ++level) {
        const int n = 2 << level;
        TVectorInteger codewords = encode(randomData(random, 20), n);
        ASSERT_TRUE(syndromesAreZero(codewords, n));
        const TVectorInteger original = codewords;
        EXPECT_EQ(rs.correct(codewords, n), 0) << "level " << level;
        EXPECT_EQ(codewords, original);
    }
}

TEST(PDF417RS, CorrectsUpToHalfTheCheckCodewordsAnywhere) {
    std::mt19937 random(4711);
    const TVekPDF417RS rs;
    for (const int n : {2, 4, 8, 16, 64, 512}) {
        for (int trial = 0; trial < 6; ++trial) {
            const int dataLength = std::uniform_int_distribution<int>(1, 928 - n)(random);
            const TVectorInteger valid = encode(randomData(random, dataLength), n);
            for (const int errors : {1, n / 2}) {
                TVectorInteger codewords = damage(valid, errors, random, trial % 2 == 0);
                EXPECT_EQ(rs.correct(codewords, n), errors) << "n " << n << " errors " << errors;
                EXPECT_EQ(codewords, valid) << "n " << n << " errors " << errors;
            }
        }
    }
}

TEST(PDF417RS, LastCodewordIsPositionZero) {
    const TVekPDF417RS rs;
    const TVectorInteger valid = encode({5, 453, 178, 121, 239}, 8);
    TVectorInteger codewords = valid;
    codewords.back() = (codewords.back() + 1) % 929;
    EXPECT_EQ(rs.correct(codewords, 8), 1);
    EXPECT_EQ(codewords, valid);

    codewords = valid;
    codewords.front() = (codewords.front() + 500) % 929;
    EXPECT_EQ(rs.correct(codewords, 8), 1);
    EXPECT_EQ(codewords, valid);
}

// Beyond the code's capacity the result is -1 with the codewords untouched,
// or a consistent codeword set at most `result` codewords away.
TEST(PDF417RS, TooManyErrorsFailOrMiscorrectConsistently) {
    std::mt19937 random(99);
    const TVekPDF417RS rs;
    int failures = 0;
    for (const int n : {2, 4, 8, 32, 128}) {
        for (const int dataLength : {1, 3, 40, 300}) {
            const TVectorInteger valid = encode(randomData(random, dataLength), n);
            for (int trial = 0; trial < 20; ++trial) {
                const int maxErrors = std::min<int>(static_cast<int>(valid.size()), n + 3);
                const int errors = std::uniform_int_distribution<int>(n / 2 + 1, std::max(n / 2 + 1, maxErrors))(random);
                if (errors > static_cast<int>(valid.size())) continue;
                const TVectorInteger received = damage(valid, errors, random, trial % 3 == 0);
                TVectorInteger codewords = received;
                const int32_t result = rs.correct(codewords, n);
                if (result < 0) {
                    ++failures;
                    EXPECT_EQ(result, -1);
                    EXPECT_EQ(codewords, received);
                    continue;
                }
                EXPECT_LE(result, n / 2);
                EXPECT_TRUE(syndromesAreZero(codewords, n));
                int changed = 0;
                for (size_t i = 0; i < codewords.size(); ++i) changed += codewords[i] != received[i];
                EXPECT_LE(changed, result);
            }
        }
    }
    EXPECT_GT(failures, 0);
}

// A short symbol: the locator may put an error in front of the first
// codeword, which is a failure, not a correction.
TEST(PDF417RS, ErrorsBeforeTheFirstCodewordAreFailures) {
    std::mt19937 random(5);
    const TVekPDF417RS rs;
    int failures = 0;
    for (int trial = 0; trial < 400; ++trial) {
        const TVectorInteger valid = encode(randomData(random, 1), 4);
        const TVectorInteger received = damage(valid, 3 + trial % 3, random, false);
        TVectorInteger codewords = received;
        const int32_t result = rs.correct(codewords, 4);
        if (result < 0) {
            ++failures;
            EXPECT_EQ(codewords, received);
        } else {
            EXPECT_TRUE(syndromesAreZero(codewords, 4));
        }
    }
    EXPECT_GT(failures, 0);
}

TEST(PDF417RS, RejectsValuesOutsideTheField) {
    const TVekPDF417RS rs;
    TVectorInteger codewords = encode({5, 453, 178}, 4);
    codewords[1] = 929;
    const TVectorInteger received = codewords;
    EXPECT_EQ(rs.correct(codewords, 4), -1);
    EXPECT_EQ(codewords, received);
    codewords[1] = -1;
    EXPECT_EQ(rs.correct(codewords, 4), -1);
    TVectorInteger tooShort = {1, 2};
    EXPECT_EQ(rs.correct(tooShort, 4), -1);
    TVectorInteger empty;
    EXPECT_EQ(rs.correct(empty, 2), -1);
}

TEST(PDF417RS, ZintSymbolsCorrect) {
    if (!test::haveZint()) GTEST_SKIP() << "zint is not installed";
    std::mt19937 random(2026);
    const TVekPDF417RS rs;
    const std::vector<std::string> arguments = {
        "--secure=0 --cols=1 -d 'A'",
        "--secure=2 --cols=4 -d 'PDF417 error correction over GF(929)'",
        "--secure=5 --cols=10 -d '0123456789012345678901234567890123456789'",
        "--secure=8 --cols=30 --binary -d 'The last level has 512 check codewords'",
    };
    for (const auto& argument : arguments) {
        const auto symbol = test::readZintPDF417(argument);
        ASSERT_TRUE(symbol) << argument;
        const int n = symbol->eccCount();
        TVectorInteger codewords = symbol->codewords;
        EXPECT_EQ(rs.correct(codewords, n), 0) << argument;
        EXPECT_EQ(codewords, symbol->codewords);
        TVectorInteger damaged = damage(symbol->codewords, n / 2, random, true);
        EXPECT_EQ(rs.correct(damaged, n), n / 2) << argument;
        EXPECT_EQ(damaged, symbol->codewords) << argument;
    }
}

}  // namespace
}  // namespace orvel

namespace orvel {
namespace {

// Unread codewords given as erasures cost one check codeword each: e
// erasures and t errors with e + 2t up to the check codeword count are
// corrected, in symbols of every size, with the erased values scrambled.
TEST(PDF417RSErasures, ErasuresAndErrorsUpToCapacity) {
    std::mt19937 random(929);
    const TVekPDF417RS rs;
    for (const int n : {2, 8, 32, 64}) {
        for (int trial = 0; trial < 20; ++trial) {
            const TVectorInteger symbol = encode(randomData(random, 3 + trial * 5), n);
            const int errors = trial % (n / 2 + 1) / 2;
            const int erased = std::min(n - 2 * errors, static_cast<int>(symbol.size()));
            TVectorInteger damaged = damage(symbol, erased + errors, random, trial % 2 == 0);
            TVectorInteger erasures;
            for (size_t i = 0; i < damaged.size() && static_cast<int>(erasures.size()) < erased; ++i) {
                if (damaged[i] != symbol[i]) erasures.push_back(static_cast<int32_t>(i));
            }
            for (int32_t index : erasures) damaged[static_cast<size_t>(index)] = 0;
            EXPECT_GE(rs.correct(damaged, n, erasures), 0) << "n=" << n << " trial " << trial;
            EXPECT_EQ(damaged, symbol) << "n=" << n << " trial " << trial;
        }
    }
}

// Beyond the capacity the correction must say so (or, rarely, land on
// another codeword), never leave a half-corrected symbol; more erasures
// than check codewords are refused outright.
TEST(PDF417RSErasures, BeyondCapacityFailsCleanly) {
    std::mt19937 random(17);
    const TVekPDF417RS rs;
    const TVectorInteger symbol = encode(randomData(random, 40), 16);
    TVectorInteger erasures(17);
    for (int32_t i = 0; i < 17; ++i) erasures[static_cast<size_t>(i)] = 2 * i;
    TVectorInteger damaged = symbol;
    EXPECT_EQ(rs.correct(damaged, 16, erasures), -1);
    EXPECT_EQ(damaged, symbol);
    for (int trial = 0; trial < 20; ++trial) {
        TVectorInteger broken = damage(symbol, 12, random, false);
        const TVectorInteger before = broken;
        const TVectorInteger someErasures = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
        const int32_t result = rs.correct(broken, 16, someErasures);
        if (result < 0) {
            EXPECT_EQ(broken, before);
        } else {
            EXPECT_TRUE(syndromesAreZero(broken, 16));
        }
    }
}

}  // namespace
}  // namespace orvel
