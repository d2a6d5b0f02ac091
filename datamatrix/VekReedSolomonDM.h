#pragma once

#include <cstdint>

#include "foundation/VekException.h"
#include "foundation/VekUtil.h"

namespace orvel {

namespace datamatrix {

// A Data Matrix block that cannot be corrected. The QR family has its own
// class of the same name, hence the nested namespace.
class TVekRSException : public TVekException {
public:
    using TVekException::TVekException;
};

}  // namespace datamatrix

// Errors-only Reed-Solomon decoder over GF(2^mm) for the full code length
// nn = 2^mm - 1, with the generator roots alpha^1 ... alpha^eccCount that ECC 200
// uses. Shortened blocks are decoded with their unused high positions zero.
class TVekReedSolomonDM {
public:
    // fieldPolynomial: the mm + 1 coefficients of x^0 ... x^mm.
    TVekReedSolomonDM(int32_t mm, int32_t eccCount, int32_t kk, const TVectorInteger& fieldPolynomial);

    // received: at least nn symbols, position i the coefficient of x^i.
    // corrected receives the nn corrected symbols; raises
    // datamatrix::TVekRSException "Cannot solve RS errors" when the word has
    // more errors than the code can correct.
    void decodeBlock(const TVectorInteger& received, TVectorInteger& corrected);

    int32_t getNn() const { return nn; }
    const TVectorInteger& getGenerator() const { return generator; }

private:
    void buildFieldTables();
    void buildGenerator();
    [[noreturn]] static void fail();

    int32_t mm;
    int32_t nn;
    int32_t eccCount;
    int32_t kk;
    TVectorInteger alphaTo;     // alpha^i in polynomial form
    TVectorInteger indexOf;     // logarithm of each element, -1 for zero
    TVectorInteger generator;   // in index form
    TVectorInteger work;        // syndromes S_1 ... S_eccCount in index form
    TVectorInteger fieldPolynomial;
};

}  // namespace orvel
