#pragma once

#include <cstdint>
#include <memory>

#include "foundation/VekException.h"
#include "foundation/VekReedSolomon.h"
#include "foundation/VekUtil.h"

namespace orvel {

// Every failure of reading an Aztec symbol: an uncorrectable mode message or
// data block, or a mode message that does not fit the symbol.
class TVekAZReedException : public TVekException {
public:
    using TVekException::TVekException;
};

// Reed-Solomon decoder of Aztec symbols over GF(16) (mode message) and GF(64),
// GF(256), GF(1024), GF(4096) (data), over the shared core. The generator has
// the roots alpha^1 ... alpha^K.
class TVekReedSolomonAZ {
public:
    // primitivePolynomial: coefficients of the field polynomial, constant term first.
    TVekReedSolomonAZ(int32_t symbolSize, int32_t checkSymbols, int32_t dataSymbols,
                      const TVectorInteger& primitivePolynomial);

    // received[i] is the coefficient of x^i; a block shorter than n symbols
    // has zeros above it, and they stay zero. corrected receives the n-symbol
    // word. Corrects up to floor(K / 2) symbol errors; raises
    // TVekAZReedException("Cannot solve RS errors") otherwise.
    void decode(const TVectorInteger& received, TVectorInteger& corrected) const;

    int32_t getSymbolSize() const { return symbolSize; }
    int32_t getN() const { return n; }
    int32_t getCheckSymbols() const { return checkSymbols; }
    int32_t getDataSymbols() const { return dataSymbols; }

    // Fills the check positions 0 ... K - 1 from the data positions (test blocks).
    void encode(TVectorInteger& word) const;

private:
    int32_t symbolSize;
    int32_t n;
    int32_t checkSymbols;
    int32_t dataSymbols;
    // Absent when there is no check symbol: such a word is taken as it is.
    // Shared with every other decoder of the same field and check count.
    std::shared_ptr<const TVekReedSolomon> code;
};

// Coefficients (constant term first) of the field polynomial Aztec uses for
// m-bit symbols: 19, 67, 301, 1033 or 4201 for m = 4, 6, 8, 10, 12. Raises
// TVekAZReedException for any other size.
TVectorInteger aztecFieldPolynomial(int32_t symbolSize);

}  // namespace orvel
