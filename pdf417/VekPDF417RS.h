#pragma once

#include <cstdint>
#include <vector>

#include "foundation/VekReedSolomon.h"
#include "foundation/VekUtil.h"
#include "pdf417/VekGFPolynomial.h"
#include "pdf417/VekGField.h"

namespace orvel {

// Reed–Solomon error correction of a PDF417 symbol over GF(929): syndromes at
// 3^1 ... 3^n, Berlekamp–Massey for the error locator, an exhaustive root
// search and Forney's formula for the error values.
class TVekPDF417RS {
public:
    TVekPDF417RS();

    // Corrects the whole symbol (data codewords first, the eccCount
    // error-correction codewords last) in place. Returns the number of errors
    // corrected, 0 for a clean symbol, or TVekReedSolomon::uncorrectable (-1)
    // when correction failed, the codewords then left exactly as they were
    // given: the convention of the GF(2^m) codes.
    int32_t correct(TVectorInteger& codewords, int32_t eccCount) const;
    // The same, knowing that the codewords at the given indices were not
    // read (erasures): each costs one check codeword instead of the two an
    // error of unknown place costs.
    int32_t correct(TVectorInteger& codewords, int32_t eccCount, const TVectorInteger& erasures) const;

    // The data codewords followed by their eccCount error-correction
    // codewords: the negated remainder of data · x^eccCount divided by the
    // generator with the roots 3^1 ... 3^eccCount, so every syndrome of the
    // result is zero. Written in plain integer arithmetic, independent of the
    // field class that correction uses; tests and benchmarks build their
    // symbols with it.
    static TVectorInteger encode(const TVectorInteger& data, int32_t eccCount);

private:
    struct TErrorRoot {
        int32_t root;      // a zero of the error locator
        int32_t position;  // the error's distance from the last codeword
    };
    using TErrorRoots = std::vector<TErrorRoot>;

    TVectorInteger computeSyndromes(const TVectorInteger& codewords, int32_t n) const;
    // The locator polynomial and, in length, the number of errors it claims.
    TVekGFPolynomial findErrorLocator(const TVectorInteger& syndromes, int32_t n, int32_t& length) const;
    // Berlekamp–Massey started from the erasures' locator; length counts
    // the erasures and the errors found.
    TVekGFPolynomial findErrorErasureLocator(const TVectorInteger& syndromes, int32_t n,
                                             const TVectorInteger& positions, int32_t& length) const;
    TErrorRoots findRoots(const TVekGFPolynomial& locator) const;

    int32_t fieldSize;
    TVekGField field;
};

}  // namespace orvel
