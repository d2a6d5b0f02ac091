#include "qrcode/VekReedSolomonQR.h"

#include <algorithm>
#include <stdexcept>

namespace orvel {

namespace {

const char* const kCannotSolve = "Cannot solve RS errors";

}  // namespace

TVekReedSolomonQR::TVekReedSolomonQR(int32_t symbolSize_, int32_t checkSymbols_, int32_t dataSymbols_,
                                     const TVectorInteger& primitivePolynomial_, int32_t firstRoot_)
    : symbolSize(symbolSize_),
      n(0),
      checkSymbols(checkSymbols_),
      dataSymbols(dataSymbols_),
      primitivePolynomial(primitivePolynomial_),
      firstRoot(firstRoot_) {
    if (symbolSize < 2 || symbolSize > 16) throw std::invalid_argument("Reed-Solomon symbol size out of range");
    n = (1 << symbolSize) - 1;
    if (checkSymbols < 1 || checkSymbols >= n) throw std::invalid_argument("Reed-Solomon check symbols out of range");
    if (static_cast<int32_t>(primitivePolynomial.size()) != symbolSize + 1)
        throw std::invalid_argument("Reed-Solomon field polynomial needs m + 1 coefficients");
    if (firstRoot < 0) throw std::invalid_argument("Reed-Solomon first root must not be negative");
    buildTables();
    buildGenerator();
}

void TVekReedSolomonQR::buildTables() {
    alphaTo.assign(n + 1, 0);
    indexOf.assign(n + 1, 0);
    int32_t mask = 1;
    alphaTo[symbolSize] = 0;
    for (int32_t i = 0; i < symbolSize; ++i) {
        alphaTo[i] = mask;
        indexOf[mask] = i;
        if (primitivePolynomial[i] != 0) alphaTo[symbolSize] ^= mask;
        mask <<= 1;
    }
    indexOf[alphaTo[symbolSize]] = symbolSize;
    mask >>= 1;
    for (int32_t i = symbolSize + 1; i < n; ++i) {
        if (alphaTo[i - 1] >= mask)
            alphaTo[i] = alphaTo[symbolSize] ^ ((alphaTo[i - 1] ^ mask) << 1);
        else
            alphaTo[i] = alphaTo[i - 1] << 1;
        indexOf[alphaTo[i]] = i;
    }
    indexOf[0] = -1;
    // A polynomial that is not primitive repeats powers early and leaves the
    // logarithm table ambiguous; every decode would then be wrong.
    std::vector<bool> seen(n + 1, false);
    for (int32_t i = 0; i < n; ++i) {
        if (alphaTo[i] <= 0 || alphaTo[i] > n || seen[alphaTo[i]])
            throw std::invalid_argument("Reed-Solomon field polynomial is not primitive");
        seen[alphaTo[i]] = true;
    }
}

void TVekReedSolomonQR::buildGenerator() {
    // g(x) = (x + alpha^b)(x + alpha^(b+1)) ... (x + alpha^(b+K-1)), coefficient of x^i at [i].
    generator.assign(checkSymbols + 1, 0);
    generator[0] = 1;
    for (int32_t i = 0; i < checkSymbols; ++i) {
        const int32_t root = power(firstRoot + i);
        for (int32_t j = i + 1; j > 0; --j) generator[j] = generator[j - 1] ^ multiply(generator[j], root);
        generator[0] = multiply(generator[0], root);
    }
}

int32_t TVekReedSolomonQR::power(int32_t exponent) const {
    int32_t e = exponent % n;
    if (e < 0) e += n;
    return alphaTo[e];
}

int32_t TVekReedSolomonQR::multiply(int32_t a, int32_t b) const {
    if (a == 0 || b == 0) return 0;
    return alphaTo[(indexOf[a] + indexOf[b]) % n];
}

int32_t TVekReedSolomonQR::divide(int32_t a, int32_t b) const {
    if (a == 0) return 0;
    return alphaTo[(indexOf[a] - indexOf[b] + n) % n];
}

void TVekReedSolomonQR::encode(TVectorInteger& word) const {
    word.resize(n, 0);
    const int32_t k = checkSymbols;
    TVectorInteger remainder(k, 0);
    for (int32_t j = n - 1; j >= k; --j) {
        const int32_t feedback = (word[j] & n) ^ remainder[k - 1];
        for (int32_t i = k - 1; i > 0; --i) remainder[i] = remainder[i - 1] ^ multiply(feedback, generator[i]);
        remainder[0] = multiply(feedback, generator[0]);
    }
    for (int32_t i = 0; i < k; ++i) word[i] = remainder[i];
}

TVectorInteger TVekReedSolomonQR::decode(const TVectorInteger& received) const {
    TVectorInteger corrected;
    decode(received, corrected);
    return corrected;
}

void TVekReedSolomonQR::decode(const TVectorInteger& received, TVectorInteger& corrected) const {
    if (static_cast<int32_t>(received.size()) > n) throw TVekRSException(kCannotSolve);
    corrected.assign(n, 0);
    for (size_t i = 0; i < received.size(); ++i) {
        // A symbol wider than m bits is not a word of this code.
        if (received[i] < 0 || received[i] > n) throw TVekRSException(kCannotSolve);
        corrected[i] = received[i];
    }

    const int32_t k = checkSymbols;
    const int32_t t = k / 2;

    // Syndromes s[i] = r(alpha^(firstRoot + i - 1)), i = 1 ... K, in polynomial form.
    TVectorInteger s(k + 1, 0);
    bool anyError = false;
    for (int32_t i = 1; i <= k; ++i) {
        const int64_t step = static_cast<int64_t>(firstRoot + i - 1) % n;
        int32_t sum = 0;
        for (int32_t j = 0; j < n; ++j) {
            if (corrected[j] == 0) continue;
            sum ^= alphaTo[(indexOf[corrected[j]] + step * j) % n];
        }
        s[i] = sum;
        if (sum != 0) anyError = true;
    }
    if (!anyError) return;

    // Berlekamp-Massey in its tabular form: row u of `elp` is the locator of
    // step u (polynomial form). The locator degree l[u] never exceeds u, so
    // K + 2 columns always suffice.
    const int32_t rows = k + 2;
    const int32_t cols = k + 2;
    TVectorInteger elp(static_cast<size_t>(rows) * cols, 0);
    auto at = [&](int32_t row, int32_t col) -> int32_t& { return elp[static_cast<size_t>(row) * cols + col]; };
    TVectorInteger d(rows, 0), l(rows, 0), uLu(rows, 0);
    at(0, 0) = 1;
    at(1, 0) = 1;
    d[0] = 1;
    d[1] = s[1];
    uLu[0] = -1;
    uLu[1] = 0;
    int32_t u = 0;
    do {
        ++u;
        if (d[u] == 0) {
            l[u + 1] = l[u];
            for (int32_t i = 0; i <= l[u]; ++i) at(u + 1, i) = at(u, i);
        } else {
            // The earlier step with a non-zero discrepancy and the largest q - l[q];
            // ties go to the latest such step.
            int32_t q = u - 1;
            while (d[q] == 0 && q > 0) --q;
            for (int32_t j = q - 1; j >= 0; --j)
                if (d[j] != 0 && uLu[q] < uLu[j]) q = j;
            l[u + 1] = std::max(l[u], l[q] + u - q);
            const int32_t factor = divide(d[u], d[q]);
            for (int32_t i = 0; i <= l[q]; ++i)
                if (at(q, i) != 0 && i + u - q < cols) at(u + 1, i + u - q) = multiply(factor, at(q, i));
            for (int32_t i = 0; i <= l[u]; ++i) at(u + 1, i) ^= at(u, i);
        }
        uLu[u + 1] = u - l[u + 1];
        if (u < k) {
            int32_t next = s[u + 1];
            for (int32_t i = 1; i <= l[u + 1] && i <= u; ++i) next ^= multiply(s[u + 1 - i], at(u + 1, i));
            d[u + 1] = next;
        }
    } while (u < k && l[u + 1] <= t);
    ++u;
    const int32_t degree = l[u];
    if (degree > t) throw TVekRSException(kCannotSolve);

    TVectorInteger sigma(degree + 1, 0);
    for (int32_t i = 0; i <= degree; ++i) sigma[i] = at(u, i);

    // Chien search: a root alpha^i of sigma marks an error at position n - i.
    TVectorInteger roots;
    TVectorInteger locations;
    roots.reserve(degree);
    locations.reserve(degree);
    TVectorInteger reg(degree + 1, -1);
    for (int32_t j = 1; j <= degree; ++j) reg[j] = indexOf[sigma[j]];
    for (int32_t i = 1; i <= n && static_cast<int32_t>(roots.size()) < degree; ++i) {
        int32_t value = 1;  // sigma_0
        for (int32_t j = 1; j <= degree; ++j) {
            if (reg[j] == -1) continue;
            reg[j] = (reg[j] + j) % n;
            value ^= alphaTo[reg[j]];
        }
        if (value == 0) {
            roots.push_back(i);
            locations.push_back(n - i);
        }
    }
    if (static_cast<int32_t>(roots.size()) != degree) throw TVekRSException(kCannotSolve);

    // Forney: omega(x) = S(x) sigma(x) mod x^L; the error at X = alpha^(n-i) is
    // X^-firstRoot omega(X^-1) / prod over the other errors (1 + X_j X^-1).
    TVectorInteger omega(degree, 0);
    for (int32_t j = 1; j <= degree; ++j) {
        int32_t sum = 0;
        for (int32_t m = 1; m <= j; ++m) sum ^= multiply(s[m], sigma[j - m]);
        omega[j - 1] = sum;
    }
    for (int32_t e = 0; e < degree; ++e) {
        const int32_t inverseLog = roots[e];  // log of X^-1
        int32_t numerator = 0;
        for (int32_t j = 0; j < degree; ++j) numerator ^= multiply(omega[j], power(inverseLog * j % n));
        int32_t denominator = 1;
        for (int32_t j = 0; j < degree; ++j) {
            if (j == e) continue;
            const int32_t otherLog = (n - roots[j]) % n;  // log of X_j
            denominator = multiply(denominator, 1 ^ power(otherLog + inverseLog));
        }
        if (denominator == 0) throw TVekRSException(kCannotSolve);
        int32_t value = divide(numerator, denominator);
        value = multiply(value, power(static_cast<int32_t>(static_cast<int64_t>(inverseLog) * firstRoot % n)));
        if (value != 0) corrected[locations[e]] ^= value;
    }
}

}  // namespace orvel
