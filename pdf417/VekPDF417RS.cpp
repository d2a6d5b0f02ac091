#include "pdf417/VekPDF417RS.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "pdf417/VekGFPolynomial.h"

namespace orvel {

TVekPDF417RS::TVekPDF417RS() : fieldSize(929), field(929, 3) {}

int32_t TVekPDF417RS::correct(TVectorInteger& codewords, int32_t eccCount) const {
    const int32_t len = static_cast<int32_t>(codewords.size());
    const int32_t n = std::max(eccCount, 0);
    // More check codewords than codewords is no symbol at all, and a value
    // outside the field is no codeword: neither can be corrected.
    if (n > len) return -1;
    if (std::any_of(codewords.begin(), codewords.end(),
                    [this](int32_t c) { return c < 0 || c >= fieldSize; })) {
        return -1;
    }

    // The last codeword is the constant term of the received polynomial.
    TVectorInteger reversed(codewords.rbegin(), codewords.rend());
    const TVekGFPolynomial received(reversed, field);

    TVectorInteger syndromes(static_cast<size_t>(n) + 1, 0);
    bool clean = true;
    for (int32_t i = 1; i <= n; ++i) {
        syndromes[static_cast<size_t>(i)] = received.evaluate(field.expOf(i));
        if (syndromes[static_cast<size_t>(i)] != 0) clean = false;
    }
    if (clean) return 0;

    // Berlekamp–Massey.
    TVectorInteger one(static_cast<size_t>(n) + 1, 0);
    one[0] = 1;
    TVekGFPolynomial locator(one, field);
    TVekGFPolynomial previous(one, field);
    int32_t length = 0;
    for (int32_t r = 1; r <= n; ++r) {
        int32_t discrepancy = 0;
        for (int32_t k = 0; k <= length; ++k) {
            discrepancy = field.add(
                discrepancy, field.multiply(locator.getCoefficient(k), syndromes[static_cast<size_t>(r - k)]));
        }
        if (discrepancy == 0) {
            previous.multiplyByX();
            continue;
        }
        TVekGFPolynomial shifted = previous.getCopy();
        shifted.multiplyByX();
        TVekGFPolynomial next = locator.getCopy();
        for (int32_t q = 0; q <= n; ++q) {
            const int32_t t = shifted.getCoefficient(q);
            if (t != 0) {
                next.setCoefficient(q, field.subtract(locator.getCoefficient(q), field.multiply(discrepancy, t)));
            }
        }
        if (2 * length > r - 1) {
            previous = std::move(shifted);
        } else {
            for (int32_t q = 0; q <= n; ++q) {
                const int32_t c = locator.getCoefficient(q);
                previous.setCoefficient(q, c != 0 ? field.divide(c, discrepancy) : 0);
            }
            length = r - length;
        }
        locator = std::move(next);
    }
    if (locator.getDegree() != length) return -1;

    // Root search over every non-zero element; the root 3^-p marks position p
    // counted from the last codeword.
    std::vector<std::pair<int32_t, int32_t>> roots;  // (root, position)
    for (int32_t q = 1; q < fieldSize; ++q) {
        if (locator.evaluate(q) == 0) {
            roots.emplace_back(q, (fieldSize - 1 - field.logOf(q)) % (fieldSize - 1));
        }
    }
    if (static_cast<int32_t>(roots.size()) != locator.getDegree()) return -1;

    const TVekGFPolynomial syndromePolynomial(syndromes, field);
    const TVekGFPolynomial evaluator = syndromePolynomial.multiplyTruncated(locator, n);

    // Forney. Every correction is worked out before any is written, so a
    // failure leaves the codewords as they came; a root that points before
    // the first codeword means the error pattern is not one this symbol can
    // hold, not a correction.
    std::vector<std::pair<int32_t, int32_t>> corrections;  // (index into codewords, new value)
    for (auto root = roots.rbegin(); root != roots.rend(); ++root) {
        if (root->second >= len) return -1;
        const int32_t numerator = evaluator.evaluate(root->first);
        int32_t denominator = 1;
        for (const auto& other : roots) {
            if (other.first == root->first) continue;
            const int32_t term = (fieldSize + 1 - field.divide(root->first, other.first)) % fieldSize;
            denominator = field.multiply(denominator, term);
        }
        if (denominator == 0) return -1;
        if (numerator == 0) continue;
        const int32_t error = field.divide(numerator, denominator);
        const int32_t index = len - 1 - root->second;
        corrections.emplace_back(index, field.subtract(codewords[static_cast<size_t>(index)], error));
    }
    for (const auto& [index, value] : corrections) codewords[static_cast<size_t>(index)] = value;
    return static_cast<int32_t>(roots.size());
}

}  // namespace orvel
