#include "foundation/VekReedSolomon.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace orvel {

TVekReedSolomon::TVekReedSolomon(const TVekGaloisField& field, int32_t checkSymbols, int32_t firstRoot)
    : gf(&field), k(checkSymbols), b(firstRoot) {
    const int32_t n = gf->order();
    if (k < 1 || k >= n) throw std::invalid_argument("Reed-Solomon check symbols out of range");
    if (b < 0) throw std::invalid_argument("Reed-Solomon first root must not be negative");
    rootLogs.resize(static_cast<size_t>(k));
    for (int32_t j = 0; j < k; ++j) rootLogs[static_cast<size_t>(j)] = static_cast<int32_t>((int64_t{b} + j) % n);
    // g(x) = (x + alpha^b)(x + alpha^(b+1)) ... (x + alpha^(b+K-1)).
    generatorPolynomial.assign(static_cast<size_t>(k) + 1, 0);
    generatorPolynomial[0] = 1;
    for (int32_t i = 0; i < k; ++i) {
        const int32_t root = gf->exp(rootLogs[static_cast<size_t>(i)]);
        for (int32_t j = i + 1; j > 0; --j)
            generatorPolynomial[j] = generatorPolynomial[j - 1] ^ gf->multiply(generatorPolynomial[j], root);
        generatorPolynomial[0] = gf->multiply(generatorPolynomial[0], root);
    }
}

void TVekReedSolomon::encode(TVectorInteger& word) const {
    if (static_cast<int32_t>(word.size()) <= k) word.resize(static_cast<size_t>(k) + 1, 0);
    const int32_t mask = gf->order();
    // The remainder of x^K d(x) divided by g(x), one data symbol at a time
    // from the highest position down.
    TVectorInteger remainder(static_cast<size_t>(k), 0);
    for (size_t j = word.size(); j-- > static_cast<size_t>(k);) {
        const int32_t feedback = (word[j] & mask) ^ remainder[static_cast<size_t>(k) - 1];
        for (size_t i = static_cast<size_t>(k) - 1; i > 0; --i)
            remainder[i] = remainder[i - 1] ^ gf->multiply(feedback, generatorPolynomial[i]);
        remainder[0] = gf->multiply(feedback, generatorPolynomial[0]);
    }
    std::copy(remainder.begin(), remainder.end(), word.begin());
}

int32_t TVekReedSolomon::correct(TVectorInteger& word, std::span<const int32_t> erasures) const {
    if (!validInput(word, erasures)) return uncorrectable;
    TPolynomial s;
    if (!syndromes(word, s)) return 0;

    // The erasures' own locator takes f syndromes; the errors must be found
    // in the K - f that the locator leaves free of erasures (Forney syndromes).
    const int32_t f = static_cast<int32_t>(erasures.size());
    const TPolynomial gamma = erasureLocator(erasures);
    const TPolynomial sigma = berlekampMassey(multiplyTruncated(gamma, s, static_cast<size_t>(k)), f);
    if (sigma.empty()) return uncorrectable;
    const int32_t length = static_cast<int32_t>(word.size());
    TVectorInteger positions;
    if (!errorPositions(sigma, length, positions)) return uncorrectable;
    const size_t errors = positions.size();
    positions.insert(positions.end(), erasures.begin(), erasures.end());

    // Forney: with errata locator Lambda and evaluator Omega = Lambda S mod x^K,
    // the value at X = alpha^p is X^(1-b) Omega(X^-1) / Lambda'(X^-1). Every
    // value is worked out before any is written.
    const TPolynomial lambda = multiplyTruncated(sigma, gamma, sigma.size() + gamma.size() - 1);
    const TPolynomial omega = multiplyTruncated(lambda, s, static_cast<size_t>(k));
    std::vector<std::pair<size_t, int32_t>> changes;
    changes.reserve(positions.size());
    for (size_t e = 0; e < positions.size(); ++e) {
        const int64_t p = positions[e];
        const int32_t xInverse = gf->power(-p);
        const int32_t slope = evaluateDerivative(lambda, xInverse);
        // A zero slope is a repeated root: an error found on an erasure.
        if (slope == 0) return uncorrectable;
        const int32_t value =
            gf->multiply(gf->power((1 - int64_t{b}) * p), gf->divide(evaluate(omega, xInverse), slope));
        // An error of value zero is no error: the locator does not describe
        // this word, which is then no codeword's neighbour.
        if (value == 0 && e < errors) return uncorrectable;
        if (value != 0) changes.emplace_back(static_cast<size_t>(p), value);
    }
    for (const auto& [position, value] : changes) word[position] ^= value;
    return static_cast<int32_t>(changes.size());
}

bool TVekReedSolomon::validInput(const TVectorInteger& word, std::span<const int32_t> erasures) const {
    const int32_t n = gf->order();
    const auto length = static_cast<int32_t>(word.size());
    if (length > n || static_cast<int32_t>(erasures.size()) > k) return false;
    if (std::any_of(word.begin(), word.end(), [n](int32_t symbol) { return symbol < 0 || symbol > n; })) return false;
    TVectorInteger sorted(erasures.begin(), erasures.end());
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return false;
    return sorted.empty() || (sorted.front() >= 0 && sorted.back() < length);
}

bool TVekReedSolomon::syndromes(const TVectorInteger& word, TPolynomial& s) const {
    // Horner's rule for the K points at once, symbol by symbol from the
    // highest non-zero position (blocks laid out in a full-length word are
    // mostly zeros above): K independent chains of look-ups in flight.
    s.assign(static_cast<size_t>(k), 0);
    size_t top = word.size();
    while (top > 0 && word[top - 1] == 0) --top;
    for (size_t i = top; i-- > 0;) {
        const int32_t symbol = word[i];
        for (size_t j = 0; j < s.size(); ++j) s[j] = gf->multiplyByPower(s[j], rootLogs[j]) ^ symbol;
    }
    return std::any_of(s.begin(), s.end(), [](int32_t v) { return v != 0; });
}

TVekReedSolomon::TPolynomial TVekReedSolomon::erasureLocator(std::span<const int32_t> erasures) const {
    // Gamma(x) = product of (1 + alpha^p x) over the erased positions p.
    TPolynomial gamma(erasures.size() + 1, 0);
    gamma[0] = 1;
    for (size_t i = 0; i < erasures.size(); ++i) {
        const int32_t x = gf->exp(erasures[i]);
        for (size_t j = i + 1; j > 0; --j) gamma[j] ^= gf->multiply(gamma[j - 1], x);
    }
    return gamma;
}

TVekReedSolomon::TPolynomial TVekReedSolomon::berlekampMassey(const TPolynomial& s, int32_t from) const {
    // Massey's form: `current` the connection polynomial of the sequence so
    // far, `previous` the one before the last length change, and `shift` the
    // steps since then. A sequence of N terms pins down at most N / 2 errors.
    const auto total = static_cast<int32_t>(s.size()) - from;
    TPolynomial current(static_cast<size_t>(total) + 1, 0);
    TPolynomial previous = current;
    TPolynomial saved;
    current[0] = previous[0] = 1;
    int32_t length = 0;
    int32_t shift = 1;
    int32_t lastDiscrepancy = 1;
    for (int32_t r = 0; r < total; ++r) {
        int32_t d = s[static_cast<size_t>(from + r)];
        for (int32_t i = 1; i <= length; ++i) d ^= gf->multiply(current[i], s[static_cast<size_t>(from + r - i)]);
        if (d == 0) {
            ++shift;
            continue;
        }
        const bool lengthens = 2 * length <= r;
        if (lengthens) saved = current;
        const int32_t factor = gf->divide(d, lastDiscrepancy);
        for (int32_t i = 0; i + shift <= total; ++i)
            if (previous[i] != 0) current[i + shift] ^= gf->multiply(factor, previous[i]);
        if (!lengthens) {
            ++shift;
            continue;
        }
        length = r + 1 - length;
        if (2 * length > total) return {};
        std::swap(previous, saved);
        lastDiscrepancy = d;
        shift = 1;
    }
    // A locator of lower degree than its length puts errors beyond any
    // position: no error pattern of this code gives these syndromes.
    if (current[static_cast<size_t>(length)] == 0) return {};
    if (std::any_of(current.begin() + length + 1, current.end(), [](int32_t c) { return c != 0; })) return {};
    current.resize(static_cast<size_t>(length) + 1);
    return current;
}

bool TVekReedSolomon::errorPositions(const TPolynomial& sigma, int32_t length, TVectorInteger& positions) const {
    // Chien search: term j of sigma(alpha^-p) is multiplied by alpha^-j per
    // step, kept as a logarithm (-1 for a zero term). Only the block's own
    // positions count: a root beyond them is a change the block cannot hold.
    const int32_t n = gf->order();
    const auto degree = static_cast<int32_t>(sigma.size()) - 1;
    positions.clear();
    if (degree == 0) return true;
    TVectorInteger logs(sigma.size());
    for (size_t j = 0; j < sigma.size(); ++j) logs[j] = gf->log(sigma[j]);
    for (int32_t p = 0; p < length; ++p) {
        int32_t value = sigma[0];
        for (int32_t j = 1; j <= degree; ++j) {
            int32_t& l = logs[static_cast<size_t>(j)];
            if (l < 0) continue;
            value ^= gf->exp(l);
            l += n - j;
            if (l >= n) l -= n;
        }
        if (value == 0) {
            positions.push_back(p);
            if (static_cast<int32_t>(positions.size()) == degree) return true;
        }
    }
    return false;
}

TVekReedSolomon::TPolynomial TVekReedSolomon::multiplyTruncated(const TPolynomial& a, const TPolynomial& c,
                                                                size_t terms) const {
    TPolynomial product(std::min(terms, a.size() + c.size() - 1), 0);
    for (size_t i = 0; i < a.size() && i < product.size(); ++i) {
        if (a[i] == 0) continue;
        for (size_t j = 0; j < c.size() && i + j < product.size(); ++j) product[i + j] ^= gf->multiply(a[i], c[j]);
    }
    return product;
}

int32_t TVekReedSolomon::evaluate(const TPolynomial& p, int32_t x) const {
    int32_t value = 0;
    for (size_t i = p.size(); i-- > 0;) value = gf->multiply(value, x) ^ p[i];
    return value;
}

int32_t TVekReedSolomon::evaluateDerivative(const TPolynomial& p, int32_t x) const {
    // Sum of p[2i+1] x^(2i): Horner's rule in x^2 over the odd terms.
    const int32_t square = gf->multiply(x, x);
    int32_t value = 0;
    for (size_t i = p.size(); i-- > 0;)
        if (i % 2 == 1) value = gf->multiply(value, square) ^ p[i];
    return value;
}

}  // namespace orvel
