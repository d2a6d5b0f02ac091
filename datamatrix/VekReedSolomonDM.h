#pragma once

#include <cstdint>

#include "foundation/VekException.h"
#include "foundation/VekReedSolomon.h"
#include "foundation/VekUtil.h"

namespace orvel {

// The Reed-Solomon code of ECC 200 over the shared core: GF(2^mm) for the
// full code length nn = 2^mm - 1, generator roots alpha^1 ... alpha^eccCount.
// Shortened blocks are decoded with their unused high positions zero.
class TVekReedSolomonDM {
public:
    // fieldPolynomial: the mm + 1 coefficients of x^0 ... x^mm (further ones
    // are ignored). Raises std::invalid_argument for sizes the tables cannot
    // hold and polynomials that are not primitive.
    TVekReedSolomonDM(int32_t mm, int32_t eccCount, int32_t kk, const TVectorInteger& fieldPolynomial);

    // received: at least nn symbols, position i the coefficient of x^i, each
    // read modulo 2^mm. corrected receives the nn corrected symbols; raises
    // TVekRSException "Cannot solve RS errors" when the word has
    // more errors than the code can correct, corrected then holding the word
    // as received.
    void decodeBlock(const TVectorInteger& received, TVectorInteger& corrected);

    int32_t getNn() const { return nn; }
    // In index form: the logarithm of each coefficient, x^0 first.
    const TVectorInteger& getGenerator() const { return generator; }

private:
    [[noreturn]] static void fail();

    int32_t mm;
    int32_t nn;
    int32_t eccCount;
    int32_t kk;
    TVekReedSolomon code;
    TVectorInteger generator;
};

}  // namespace orvel
