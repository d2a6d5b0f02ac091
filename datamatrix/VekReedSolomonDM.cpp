#include "datamatrix/VekReedSolomonDM.h"

#include <stdexcept>

namespace orvel {

TVekReedSolomonDM::TVekReedSolomonDM(int32_t mm, int32_t eccCount, int32_t kk,
                                     const TVectorInteger& fieldPolynomial)
    : mm(mm), nn((1 << mm) - 1), eccCount(eccCount), kk(kk), fieldPolynomial(fieldPolynomial) {
    if (mm < 2 || mm > 16 || static_cast<int32_t>(fieldPolynomial.size()) < mm + 1 || eccCount < 1 ||
        eccCount >= nn) {
        throw std::invalid_argument("TVekReedSolomonDM: unsupported code parameters");
    }
    alphaTo.assign(nn + 1, 0);
    indexOf.assign(nn + 1, 0);
    generator.assign(eccCount + 1, 0);
    work.assign(eccCount + 1, -1);
    buildFieldTables();
    buildGenerator();
}

void TVekReedSolomonDM::buildFieldTables() {
    int32_t mask = 1;
    alphaTo[mm] = 0;
    for (int32_t i = 0; i < mm; ++i) {
        alphaTo[i] = mask;
        indexOf[alphaTo[i]] = i;
        if (fieldPolynomial[i] != 0) alphaTo[mm] ^= mask;
        mask <<= 1;
    }
    indexOf[alphaTo[mm]] = mm;
    mask >>= 1;
    for (int32_t i = mm + 1; i < nn; ++i) {
        if (alphaTo[i - 1] >= mask) alphaTo[i] = alphaTo[mm] ^ ((alphaTo[i - 1] ^ mask) << 1);
        else alphaTo[i] = alphaTo[i - 1] << 1;
        indexOf[alphaTo[i]] = i;
    }
    indexOf[0] = -1;
}

void TVekReedSolomonDM::buildGenerator() {
    TVectorInteger& g = generator;
    g[0] = alphaTo[1];
    g[1] = 1;
    for (int32_t i = 2; i <= eccCount; ++i) {
        g[i] = 1;
        for (int32_t j = i - 1; j > 0; --j) {
            if (g[j] != 0) g[j] = g[j - 1] ^ alphaTo[(indexOf[g[j]] + i) % nn];
            else g[j] = g[j - 1];
        }
        g[0] = alphaTo[(indexOf[g[0]] + i) % nn];
    }
    for (int32_t& coefficient : g) coefficient = indexOf[coefficient];
}

void TVekReedSolomonDM::fail() { throw datamatrix::TVekRSException("Cannot solve RS errors"); }

// Berlekamp-Massey for the error locator, Chien search for its roots and
// Forney for the error values, in the classic index/polynomial form: index
// form is the logarithm, -1 standing for the zero element.
void TVekReedSolomonDM::decodeBlock(const TVectorInteger& received, TVectorInteger& corrected) {
    if (static_cast<int32_t>(received.size()) < nn) {
        throw std::invalid_argument("TVekReedSolomonDM: received word too short");
    }
    const int32_t m = eccCount;
    const int32_t t = eccCount / 2;

    // 1. The received word in index form.
    TVectorInteger recd(nn);
    for (int32_t j = 0; j < nn; ++j) recd[j] = indexOf[received[j] & nn];
    corrected.assign(nn, 0);
    for (int32_t j = 0; j < nn; ++j) corrected[j] = received[j] & nn;

    // 2. Syndromes S_1 ... S_m, kept in index form (work[0] is unused). The
    // exponent of each nonzero term, index(r_j) + i * j, grows by j per
    // syndrome.
    TVectorInteger& s = work;
    TVectorInteger positions, exponents;
    for (int32_t j = 0; j < nn; ++j) {
        if (recd[j] == -1) continue;
        positions.push_back(j);
        exponents.push_back(recd[j]);
    }
    bool anyError = false;
    for (int32_t i = 1; i <= m; ++i) {
        int32_t sum = 0;
        for (size_t k = 0; k < positions.size(); ++k) {
            int32_t e = exponents[k] + positions[k];
            if (e >= nn) e -= nn;
            exponents[k] = e;
            sum ^= alphaTo[e];
        }
        if (sum != 0) anyError = true;
        s[i] = indexOf[sum];
    }
    s[0] = -1;
    if (!anyError) return;

    // 3. Berlekamp-Massey. Row u of elp is the locator of step u; one spare
    // column holds the degree m term the last step may form before it is
    // rejected as too high.
    const int32_t rows = m + 2;
    const int32_t cols = m + 2;
    std::vector<TVectorInteger> elp(rows, TVectorInteger(cols, 0));
    TVectorInteger d(rows, -1), l(rows, 0), uLu(rows, 0);
    d[0] = 0;
    d[1] = s[1];
    elp[0][0] = 0;
    elp[1][0] = 1;
    for (int32_t i = 1; i < cols; ++i) {
        elp[0][i] = -1;
        elp[1][i] = 0;
    }
    l[0] = 0;
    l[1] = 0;
    uLu[0] = -1;
    uLu[1] = 0;
    int32_t u = 0;
    do {
        ++u;
        if (d[u] == -1) {
            l[u + 1] = l[u];
            for (int32_t i = 0; i <= l[u]; ++i) {
                elp[u + 1][i] = elp[u][i];
                elp[u][i] = indexOf[elp[u][i]];
            }
        } else {
            int32_t q = u - 1;
            while (d[q] == -1 && q > 0) --q;
            if (q > 0) {
                int32_t j = q;
                do {
                    --j;
                    if (d[j] != -1 && uLu[q] < uLu[j]) q = j;
                } while (j > 0);
            }
            l[u + 1] = l[u] > l[q] + u - q ? l[u] : l[q] + u - q;
            if (l[u + 1] >= cols) fail();
            for (int32_t i = 0; i < cols; ++i) elp[u + 1][i] = 0;
            for (int32_t i = 0; i <= l[q]; ++i) {
                if (elp[q][i] != -1) elp[u + 1][i + u - q] = alphaTo[(d[u] + nn - d[q] + elp[q][i]) % nn];
            }
            for (int32_t i = 0; i <= l[u]; ++i) {
                elp[u + 1][i] ^= elp[u][i];
                elp[u][i] = indexOf[elp[u][i]];
            }
        }
        uLu[u + 1] = u - l[u + 1];
        if (u < m) {
            int32_t discrepancy = s[u + 1] != -1 ? alphaTo[s[u + 1]] : 0;
            for (int32_t i = 1; i <= l[u + 1]; ++i) {
                if (u + 1 - i >= 1 && s[u + 1 - i] != -1 && elp[u + 1][i] != 0) {
                    discrepancy ^= alphaTo[(s[u + 1 - i] + indexOf[elp[u + 1][i]]) % nn];
                }
            }
            d[u + 1] = indexOf[discrepancy];
        }
    } while (u < m && l[u + 1] <= t);
    ++u;

    // 4. Too many errors for this code.
    const int32_t degree = l[u];
    if (degree > t) fail();

    // 5. Chien search over every nonzero field element.
    TVectorInteger& locator = elp[u];
    for (int32_t i = 0; i <= degree; ++i) locator[i] = indexOf[locator[i]];
    TVectorInteger reg(degree + 1, -1);
    for (int32_t i = 1; i <= degree; ++i) reg[i] = locator[i];
    TVectorInteger root, loc;
    for (int32_t i = 1; i <= nn; ++i) {
        int32_t q = 1;
        for (int32_t j = 1; j <= degree; ++j) {
            if (reg[j] != -1) {
                reg[j] = (reg[j] + j) % nn;
                q ^= alphaTo[reg[j]];
            }
        }
        if (q == 0) {
            root.push_back(i);
            loc.push_back(nn - i);
        }
    }
    if (static_cast<int32_t>(root.size()) != degree) fail();

    // 6. Error evaluator z(x), z[0] = 1 implied.
    TVectorInteger z(degree + 1, -1);
    for (int32_t i = 1; i <= degree; ++i) {
        int32_t value = 0;
        if (s[i] != -1) value ^= alphaTo[s[i]];
        if (locator[i] != -1) value ^= alphaTo[locator[i]];
        for (int32_t j = 1; j < i; ++j) {
            if (s[j] != -1 && locator[i - j] != -1) value ^= alphaTo[(locator[i - j] + s[j]) % nn];
        }
        z[i] = indexOf[value];
    }

    // 7. Forney: error value at each location, added to the received symbol.
    for (int32_t i = 0; i < degree; ++i) {
        int32_t e = 1;
        for (int32_t j = 1; j <= degree; ++j) {
            if (z[j] != -1) e ^= alphaTo[(z[j] + j * root[i]) % nn];
        }
        if (e == 0) continue;
        int32_t q = 0;
        for (int32_t j = 0; j < degree; ++j) {
            if (j == i) continue;
            const int32_t factor = indexOf[1 ^ alphaTo[(loc[j] + root[i]) % nn]];
            if (factor == -1) fail();
            q += factor;
        }
        q %= nn;
        corrected[loc[i]] ^= alphaTo[(indexOf[e] - q + nn) % nn];
    }
}

}  // namespace orvel
