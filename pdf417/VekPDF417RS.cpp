#include "pdf417/VekPDF417RS.h"

#include <algorithm>
#include <utility>

namespace orvel {

TVekPDF417RS::TVekPDF417RS() : fieldSize(929), field(929, 3) {}

int32_t TVekPDF417RS::correct(TVectorInteger& codewords, int32_t eccCount) const {
    return correct(codewords, eccCount, {});
}

int32_t TVekPDF417RS::correct(TVectorInteger& codewords, int32_t eccCount, const TVectorInteger& erasures) const {
    const int32_t len = static_cast<int32_t>(codewords.size());
    const int32_t n = std::max(eccCount, 0);
    // More check codewords than codewords is no symbol at all, and a value
    // outside the field is no codeword: neither can be corrected.
    if (n > len) return TVekReedSolomon::uncorrectable;
    if (std::any_of(codewords.begin(), codewords.end(),
                    [this](int32_t c) { return c < 0 || c >= fieldSize; })) {
        return TVekReedSolomon::uncorrectable;
    }

    TVectorInteger positions;  // of the erasures, counted from the last codeword
    for (const int32_t index : erasures) {
        if (index < 0 || index >= len) return TVekReedSolomon::uncorrectable;
        positions.push_back(len - 1 - index);
    }
    if (static_cast<int32_t>(positions.size()) > n) return TVekReedSolomon::uncorrectable;

    const TVectorInteger syndromes = computeSyndromes(codewords, n);
    if (std::all_of(syndromes.begin(), syndromes.end(), [](int32_t s) { return s == 0; })) return 0;

    int32_t length = 0;
    const TVekGFPolynomial locator = positions.empty() ? findErrorLocator(syndromes, n, length)
                                                       : findErrorErasureLocator(syndromes, n, positions, length);
    if (locator.getDegree() != length) return TVekReedSolomon::uncorrectable;

    const TErrorRoots roots = findRoots(locator);
    if (static_cast<int32_t>(roots.size()) != locator.getDegree()) return TVekReedSolomon::uncorrectable;

    const TVekGFPolynomial syndromePolynomial(syndromes, field);
    const TVekGFPolynomial evaluator = syndromePolynomial.multiplyTruncated(locator, n);

    // Forney. Every correction is worked out before any is written, so a
    // failure leaves the codewords as they came; a root that points before
    // the first codeword means the error pattern is not one this symbol can
    // hold, not a correction.
    std::vector<std::pair<int32_t, int32_t>> corrections;  // (index into codewords, new value)
    corrections.reserve(roots.size());
    for (auto root = roots.rbegin(); root != roots.rend(); ++root) {
        if (root->position >= len) return TVekReedSolomon::uncorrectable;
        const int32_t numerator = evaluator.evaluate(root->root);
        int32_t denominator = 1;
        for (const auto& other : roots) {
            if (other.root == root->root) continue;
            const int32_t term = (fieldSize + 1 - field.divide(root->root, other.root)) % fieldSize;
            denominator = field.multiply(denominator, term);
        }
        if (denominator == 0) return TVekReedSolomon::uncorrectable;
        if (numerator == 0) continue;
        const int32_t error = field.divide(numerator, denominator);
        const int32_t index = len - 1 - root->position;
        corrections.emplace_back(index, field.subtract(codewords[static_cast<size_t>(index)], error));
    }
    for (const auto& [index, value] : corrections) codewords[static_cast<size_t>(index)] = value;
    return static_cast<int32_t>(roots.size());
}

TVectorInteger TVekPDF417RS::computeSyndromes(const TVectorInteger& codewords, int32_t n) const {
    // S[i] is the received polynomial, the last codeword its constant term,
    // at 3^i; S[0] stays 0. Horner's rule for all n points at once, codeword
    // by codeword, keeps n independent chains of table look-ups in flight.
    TVectorInteger syndromes(static_cast<size_t>(n) + 1, 0);
    for (const int32_t c : codewords) {
        for (int32_t i = 1; i <= n; ++i) {
            int32_t& s = syndromes[static_cast<size_t>(i)];
            s = field.add(field.multiply(s, field.expOf(i)), c);
        }
    }
    return syndromes;
}

TVekGFPolynomial TVekPDF417RS::findErrorLocator(const TVectorInteger& syndromes, int32_t n, int32_t& length) const {
    // Berlekamp–Massey with polynomials of n + 1 coefficients.
    TVectorInteger one(static_cast<size_t>(n) + 1, 0);
    one[0] = 1;
    TVekGFPolynomial locator(one, field);
    TVekGFPolynomial previous(one, field);
    length = 0;
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
        // After r steps neither polynomial has a term above x^r.
        const int32_t top = std::min(r, n);
        TVekGFPolynomial next = locator.getCopy();
        for (int32_t q = 0; q <= top; ++q) {
            const int32_t t = shifted.getCoefficient(q);
            if (t != 0) {
                next.setCoefficient(q, field.subtract(locator.getCoefficient(q), field.multiply(discrepancy, t)));
            }
        }
        if (2 * length > r - 1) {
            previous = std::move(shifted);
        } else {
            for (int32_t q = 0; q <= top; ++q) {
                const int32_t c = locator.getCoefficient(q);
                previous.setCoefficient(q, c != 0 ? field.divide(c, discrepancy) : 0);
            }
            length = r - length;
        }
        locator = std::move(next);
    }
    return locator;
}

TVekGFPolynomial TVekPDF417RS::findErrorErasureLocator(const TVectorInteger& syndromes, int32_t n,
                                                       const TVectorInteger& positions, int32_t& length) const {
    const auto e = static_cast<int32_t>(positions.size());
    // The erasures' locator: the product of (1 - 3^p x).
    TVectorInteger erasureLocator(static_cast<size_t>(n) + 1, 0);
    erasureLocator[0] = 1;
    int32_t degree = 0;
    for (const int32_t p : positions) {
        const int32_t x = field.expOf(p % (fieldSize - 1));
        for (int32_t q = ++degree; q >= 1; --q) {
            const int32_t below = erasureLocator[static_cast<size_t>(q) - 1];
            erasureLocator[static_cast<size_t>(q)] =
                field.subtract(erasureLocator[static_cast<size_t>(q)], field.multiply(x, below));
        }
    }
    TVekGFPolynomial locator(erasureLocator, field);
    TVekGFPolynomial previous(erasureLocator, field);
    int32_t errors = 0;
    for (int32_t r = e + 1; r <= n; ++r) {
        int32_t discrepancy = 0;
        for (int32_t k = 0; k <= errors + e && k < r; ++k) {
            discrepancy = field.add(
                discrepancy, field.multiply(locator.getCoefficient(k), syndromes[static_cast<size_t>(r - k)]));
        }
        TVekGFPolynomial shifted = previous.getCopy();
        shifted.multiplyByX();
        if (discrepancy == 0) {
            previous = std::move(shifted);
            continue;
        }
        TVekGFPolynomial next = locator.getCopy();
        for (int32_t q = 0; q <= n; ++q) {
            const int32_t t = shifted.getCoefficient(q);
            if (t != 0) {
                next.setCoefficient(q, field.subtract(locator.getCoefficient(q), field.multiply(discrepancy, t)));
            }
        }
        if (2 * errors <= r - e - 1) {
            for (int32_t q = 0; q <= n; ++q) {
                const int32_t c = locator.getCoefficient(q);
                previous.setCoefficient(q, c != 0 ? field.divide(c, discrepancy) : 0);
            }
            errors = r - e - errors;
        } else {
            previous = std::move(shifted);
        }
        locator = std::move(next);
    }
    length = errors + e;
    return locator;
}

TVekPDF417RS::TErrorRoots TVekPDF417RS::findRoots(const TVekGFPolynomial& locator) const {
    // Every non-zero element is some 3^k; the root 3^k marks the position
    // (928 - k) mod 928 counted from the last codeword. Walking k upwards,
    // term j of the locator is multiplied by 3^j at each step (Chien's
    // search): the same values as evaluating at each element, without a
    // chain of dependent look-ups.
    const int32_t degree = locator.getDegree();
    const int32_t order = fieldSize - 1;
    TVectorInteger terms(static_cast<size_t>(degree) + 1);
    for (int32_t j = 0; j <= degree; ++j) terms[static_cast<size_t>(j)] = locator.getCoefficient(j);
    TErrorRoots roots;
    for (int32_t k = 0; k < order; ++k) {
        int32_t sum = 0;
        for (int32_t j = 0; j <= degree; ++j) sum = field.add(sum, terms[static_cast<size_t>(j)]);
        if (sum == 0) roots.push_back({field.expOf(k), (order - k) % order});
        for (int32_t j = 1; j <= degree; ++j) {
            int32_t& t = terms[static_cast<size_t>(j)];
            t = field.multiply(t, field.expOf(j % order));
        }
    }
    return roots;
}

TVectorInteger TVekPDF417RS::encode(const TVectorInteger& data, int32_t eccCount) {
    constexpr int64_t P = 929;
    const auto n = static_cast<size_t>(eccCount);
    std::vector<int64_t> generator = {1};  // ascending powers
    int64_t root = 1;
    for (size_t i = 1; i <= n; ++i) {
        root = root * 3 % P;
        std::vector<int64_t> next(generator.size() + 1, 0);
        for (size_t k = 0; k < generator.size(); ++k) {
            next[k + 1] = (next[k + 1] + generator[k]) % P;
            next[k] = (next[k] + P - root * generator[k] % P) % P;
        }
        generator = std::move(next);
    }
    TVectorInteger codewords = data;
    if (n == 0) return codewords;
    std::vector<int64_t> remainder(n, 0);  // remainder[k] is the coefficient of x^k
    for (int32_t d : data) {
        const int64_t feedback = (d + remainder[n - 1]) % P;
        for (size_t k = n - 1; k > 0; --k) remainder[k] = (remainder[k - 1] + P - feedback * generator[k] % P) % P;
        remainder[0] = (P - feedback * generator[0] % P) % P;
    }
    for (size_t k = n; k-- > 0;) codewords.push_back(static_cast<int32_t>((P - remainder[k]) % P));
    return codewords;
}

}  // namespace orvel
