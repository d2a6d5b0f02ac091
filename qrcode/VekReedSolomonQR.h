#pragma once

#include <cstdint>

#include "foundation/VekException.h"
#include "foundation/VekReedSolomon.h"
#include "foundation/VekUtil.h"

namespace orvel {

// The Reed-Solomon code of QR Code (GF(256), first root 0) over the shared
// core; any other GF(2^m) and first root work too. The full code length is
// n = 2^m - 1; a shorter block is a shortened codeword.
class TVekReedSolomonQR {
public:
    // primitivePolynomial holds the m + 1 coefficients of the field polynomial,
    // constant term first (QR: x^8 + x^4 + x^3 + x^2 + 1 -> 1,0,1,1,1,0,0,0,1).
    // Raises std::invalid_argument for sizes the tables cannot hold.
    TVekReedSolomonQR(int32_t symbolSize, int32_t checkSymbols, int32_t dataSymbols,
                      const TVectorInteger& primitivePolynomial, int32_t firstRoot = 0);

    // received[i] is the coefficient of x^i; a block shorter than n symbols has
    // zeros above it, and they stay zero. Returns the corrected word padded
    // to n symbols, or raises TVekRSException ("Cannot solve RS errors") when
    // the block has more errors than the code corrects (as far as that can be
    // seen), is longer than n or holds a symbol wider than m bits.
    TVectorInteger decode(const TVectorInteger& received) const;
    // The same into `corrected`, which holds the block as received when the
    // exception is raised.
    void decode(const TVectorInteger& received, TVectorInteger& corrected) const;

    // Fills the check positions 0 ... K - 1 of an n-symbol word from its data
    // positions K ... n - 1 (systematic encoding; used to build test blocks).
    void encode(TVectorInteger& word) const;

    int32_t getSymbolSize() const { return symbolSize; }
    int32_t getN() const { return n; }
    int32_t getCheckSymbols() const { return checkSymbols; }
    int32_t getDataSymbols() const { return dataSymbols; }
    int32_t getFirstRoot() const { return code.firstRoot(); }
    // alpha^i at [i], and the logarithm of each element with -1 for zero.
    const TVectorInteger& getAlphaTo() const { return code.field().exponentials(); }
    const TVectorInteger& getIndexOf() const { return code.field().logarithms(); }
    const TVectorInteger& getGenerator() const { return code.generator(); }

private:
    int32_t symbolSize;
    int32_t n;
    int32_t checkSymbols;
    int32_t dataSymbols;
    TVekReedSolomon code;
};

}  // namespace orvel
