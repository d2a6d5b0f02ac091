#include <gtest/gtest.h>

#include <random>
#include <set>

#include "qrcode/VekReedSolomonQR.h"

namespace orvel {
namespace {

const TVectorInteger kQrPolynomial{1, 0, 1, 1, 1, 0, 0, 0, 1};  // x^8 + x^4 + x^3 + x^2 + 1

TVectorInteger polynomialFromMask(int m, int mask) {
    TVectorInteger p(m + 1);
    for (int i = 0; i <= m; ++i) p[i] = (mask >> i) & 1;
    return p;
}

// A random codeword of a shortened block of `length` symbols.
TVectorInteger randomCodeword(const TVekReedSolomonQR& rs, int length, std::mt19937& random) {
    TVectorInteger word(rs.getN(), 0);
    std::uniform_int_distribution<int> symbol(0, rs.getN());
    for (int i = rs.getCheckSymbols(); i < length; ++i) word[i] = symbol(random);
    rs.encode(word);
    return word;
}

void damage(TVectorInteger& word, int length, int count, int maxSymbol, std::mt19937& random) {
    std::set<int> positions;
    std::uniform_int_distribution<int> position(0, length - 1);
    while (static_cast<int>(positions.size()) < count) positions.insert(position(random));
    std::uniform_int_distribution<int> flip(1, maxSymbol);
    for (int p : positions) word[p] ^= flip(random);
}

TEST(ReedSolomonQR, FieldTablesOfQr) {
    TVekReedSolomonQR rs(8, 7, 248, kQrPolynomial);
    EXPECT_EQ(rs.getN(), 255);
    EXPECT_EQ(rs.getAlphaTo()[8], 29);
    EXPECT_EQ(rs.getIndexOf()[0], -1);
    EXPECT_EQ(rs.getIndexOf()[29], 8);
    // Version 1-L generator: x^7 + a^87 x^6 + a^229 x^5 + a^146 x^4 + a^149 x^3 + a^238 x^2 + a^102 x + a^21.
    const TVectorInteger expectedLogs{21, 102, 238, 149, 146, 229, 87};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(rs.getIndexOf()[rs.getGenerator()[i]], expectedLogs[i]) << i;
}

TEST(ReedSolomonQR, CorrectsUpToHalfTheCheckSymbols) {
    std::mt19937 random(7);
    for (int k : {7, 10, 13, 22, 30}) {
        TVekReedSolomonQR rs(8, k, 255 - k, kQrPolynomial);
        for (int round = 0; round < 30; ++round) {
            const int length = k + 5 + round * 3;
            const TVectorInteger clean = randomCodeword(rs, length, random);
            TVectorInteger received = clean;
            damage(received, length, k / 2, 255, random);
            EXPECT_EQ(rs.decode(received), clean) << "K=" << k;
        }
    }
}

TEST(ReedSolomonQR, CleanWordAndEndPositions) {
    std::mt19937 random(11);
    TVekReedSolomonQR rs(8, 10, 245, kQrPolynomial);
    const int length = 26;  // version 1-M
    const TVectorInteger clean = randomCodeword(rs, length, random);
    EXPECT_EQ(rs.decode(clean), clean);
    TVectorInteger received = clean;
    received[length - 1] ^= 0x55;  // first data codeword
    received[0] ^= 0xFF;           // last check codeword
    EXPECT_EQ(rs.decode(received), clean);
}

TEST(ReedSolomonQR, TooManyErrorsAreReportedOrMiscorrected) {
    std::mt19937 random(5);
    TVekReedSolomonQR rs(8, 10, 245, kQrPolynomial);
    int failures = 0;
    for (int round = 0; round < 50; ++round) {
        const TVectorInteger clean = randomCodeword(rs, 26, random);
        TVectorInteger received = clean;
        damage(received, 26, 6, 255, random);
        try {
            EXPECT_NE(rs.decode(received), clean);
        } catch (const TVekRSException& e) {
            EXPECT_STREQ(e.what(), "Cannot solve RS errors");
            ++failures;
        }
    }
    EXPECT_GT(failures, 40);
}

TEST(ReedSolomonQR, SymbolsOutsideTheFieldAreRejected) {
    TVekReedSolomonQR rs(8, 7, 248, kQrPolynomial);
    TVectorInteger received(26, 0);
    received[3] = 256;
    EXPECT_THROW(rs.decode(received), TVekRSException);
    EXPECT_THROW(rs.decode(TVectorInteger(256, 0)), TVekRSException);
    EXPECT_THROW(TVekReedSolomonQR(8, 7, 248, polynomialFromMask(8, 0x1FF)), std::invalid_argument);
}

// Aztec uses the same decoder with roots alpha^1 ... alpha^K over GF(16) ... GF(4096).
TEST(ReedSolomonQR, FirstRootOneOverOtherFields) {
    struct Field {
        int m;
        int polynomial;
        int k;
        int length;
    };
    const Field fields[] = {{4, 0x13, 5, 10}, {6, 0x43, 12, 40}, {8, 0x12D, 20, 120},
                            {10, 0x409, 30, 600}, {12, 0x1069, 40, 1800}};
    std::mt19937 random(3);
    for (const Field& f : fields) {
        TVekReedSolomonQR rs(f.m, f.k, (1 << f.m) - 1 - f.k, polynomialFromMask(f.m, f.polynomial), 1);
        for (int round = 0; round < 5; ++round) {
            const TVectorInteger clean = randomCodeword(rs, f.length, random);
            EXPECT_EQ(rs.decode(clean), clean);
            TVectorInteger received = clean;
            damage(received, f.length, f.k / 2, rs.getN(), random);
            EXPECT_EQ(rs.decode(received), clean) << "m=" << f.m;
        }
    }
}

}  // namespace
}  // namespace orvel
