#pragma once

#include <cstdint>
#include <span>

#include "foundation/VekGaloisField.h"
#include "foundation/VekUtil.h"

namespace orvel {

// A Reed-Solomon code over GF(2^m) with K check symbols whose generator has
// the consecutive roots alpha^b ... alpha^(b + K - 1), b the first root (the
// generator base): QR Code uses b = 0, Data Matrix and Aztec b = 1. A block of
// L <= n = 2^m - 1 symbols is a shortened codeword: word[i] is the coefficient
// of x^i, the check symbols are positions 0 ... K - 1, and the positions L ...
// n - 1 are zero.
//
// Correction finds e errors and f erasures (known bad positions) whenever
// 2e + f <= K: syndromes, the erasure locator, Berlekamp-Massey on the
// erasure-free syndromes, a Chien search over the block's own positions and
// Forney's formula. It is all or nothing: a block it cannot correct is left
// exactly as it was.
class TVekReedSolomon {
public:
    // What correct() returns for a block it cannot correct; the GF(929) code
    // of PDF417 answers the same way.
    static constexpr int32_t uncorrectable = -1;

    // Raises std::invalid_argument unless 1 <= checkSymbols < n and firstRoot >= 0.
    TVekReedSolomon(const TVekGaloisField& field, int32_t checkSymbols, int32_t firstRoot);

    // Corrects the block in place and returns the number of symbols changed
    // (0 for a codeword), or `uncorrectable`. Also uncorrectable, and left as
    // it is: a block longer than n, a symbol outside the field, more than K
    // erasures, an erasure outside the block or named twice, and any error
    // pattern that would need a change outside the block.
    int32_t correct(TVectorInteger& word, std::span<const int32_t> erasures = {}) const;

    // Fills the check positions 0 ... K - 1 of a block from its data positions
    // K ... L - 1 (systematic encoding). A block shorter than K + 1 symbols is
    // first lengthened to K + 1 with zeros; symbols are taken modulo 2^m.
    void encode(TVectorInteger& word) const;

    const TVekGaloisField& field() const { return *gf; }
    int32_t checkSymbols() const { return k; }
    int32_t firstRoot() const { return b; }
    // The monic generator polynomial, coefficient of x^i at [i] (K + 1 terms).
    const TVectorInteger& generator() const { return generatorPolynomial; }

private:
    using TPolynomial = TVectorInteger;  // coefficient of x^i at [i]

    bool validInput(const TVectorInteger& word, std::span<const int32_t> erasures) const;
    // S_j = r(alpha^(b + j)), j = 0 ... K - 1; true when one is not zero.
    bool syndromes(const TVectorInteger& word, TPolynomial& s) const;
    TPolynomial erasureLocator(std::span<const int32_t> erasures) const;
    // The shortest connection polynomial of s[from] ... s[K - 1], or an empty
    // polynomial when it needs more than (K - from) / 2 terms.
    TPolynomial berlekampMassey(const TPolynomial& s, int32_t from) const;
    // The positions p < length with sigma(alpha^-p) = 0, or none unless there
    // are exactly deg sigma of them.
    bool errorPositions(const TPolynomial& sigma, int32_t length, TVectorInteger& positions) const;
    TPolynomial multiplyTruncated(const TPolynomial& a, const TPolynomial& c, size_t terms) const;
    int32_t evaluate(const TPolynomial& p, int32_t x) const;
    // The formal derivative at x (in characteristic 2 only the odd terms stay).
    int32_t evaluateDerivative(const TPolynomial& p, int32_t x) const;

    const TVekGaloisField* gf;  // shared for the life of the program
    int32_t k;
    int32_t b;
    TVectorInteger rootLogs;  // (b + j) mod n: the logarithm of each root
    TPolynomial generatorPolynomial;
};

}  // namespace orvel
