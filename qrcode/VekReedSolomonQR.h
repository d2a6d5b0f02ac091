#pragma once

#include <cstdint>

#include "foundation/VekException.h"
#include "foundation/VekUtil.h"

namespace orvel {

// A Reed-Solomon block that cannot be corrected.
class TVekRSException : public TVekException {
public:
    using TVekException::TVekException;
};

// Errors-only Reed-Solomon decoder over GF(2^m) for a full-length code of
// n = 2^m - 1 symbols (Berlekamp-Massey, Chien search, Forney). The generator
// has the consecutive roots alpha^firstRoot ... alpha^(firstRoot + K - 1):
// QR Code uses firstRoot 0 with m = 8, Aztec firstRoot 1 with m = 4 ... 12.
// Shortened blocks are laid out in an n-symbol word whose high positions are zero.
class TVekReedSolomonQR {
public:
    // primitivePolynomial holds the m + 1 coefficients of the field polynomial,
    // constant term first (QR: x^8 + x^4 + x^3 + x^2 + 1 -> 1,0,1,1,1,0,0,0,1).
    // Raises std::invalid_argument for sizes the tables cannot hold.
    TVekReedSolomonQR(int32_t symbolSize, int32_t checkSymbols, int32_t dataSymbols,
                      const TVectorInteger& primitivePolynomial, int32_t firstRoot = 0);

    // received[i] is the coefficient of x^i; a shorter word is read as padded
    // with zeros. Returns the corrected n-symbol word, or raises TVekRSException
    // ("Cannot solve RS errors").
    TVectorInteger decode(const TVectorInteger& received) const;
    void decode(const TVectorInteger& received, TVectorInteger& corrected) const;

    // Fills the check positions 0 ... K - 1 of an n-symbol word from its data
    // positions K ... n - 1 (systematic encoding; used to build test blocks).
    void encode(TVectorInteger& word) const;

    int32_t getSymbolSize() const { return symbolSize; }
    int32_t getN() const { return n; }
    int32_t getCheckSymbols() const { return checkSymbols; }
    int32_t getDataSymbols() const { return dataSymbols; }
    int32_t getFirstRoot() const { return firstRoot; }
    const TVectorInteger& getAlphaTo() const { return alphaTo; }
    const TVectorInteger& getIndexOf() const { return indexOf; }
    const TVectorInteger& getGenerator() const { return generator; }

private:
    void buildTables();
    void buildGenerator();
    int32_t multiply(int32_t a, int32_t b) const;  // polynomial form
    int32_t divide(int32_t a, int32_t b) const;    // polynomial form, b != 0
    int32_t power(int32_t exponent) const;         // alpha^exponent, any integer exponent

    int32_t symbolSize;
    int32_t n;
    int32_t checkSymbols;
    int32_t dataSymbols;
    TVectorInteger alphaTo;
    TVectorInteger indexOf;
    TVectorInteger generator;
    TVectorInteger primitivePolynomial;
    int32_t firstRoot;
};

}  // namespace orvel
