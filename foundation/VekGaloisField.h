#pragma once

#include <cstdint>

#include "foundation/VekUtil.h"

namespace orvel {

// The finite field GF(2^m), 2 <= m <= 16, with elements 0 ... 2^m - 1 in
// polynomial form (bit i the coefficient of x^i) and alpha = x as primitive
// element. The exponential and logarithm tables of one field are built once
// and shared by every code over it for the life of the program.
class TVekGaloisField {
public:
    // The field reduced by `polynomial` (bit i the coefficient of x^i, bit m
    // set). Safe to call from any thread; every call with the same arguments
    // returns the same object. Raises std::invalid_argument when m is out of
    // range or the polynomial is not primitive of degree m.
    static const TVekGaloisField& get(int32_t m, uint32_t polynomial);
    // The same, with the polynomial given as its m + 1 coefficients, constant
    // term first; the coefficient of x^m is taken as 1.
    static const TVekGaloisField& get(int32_t m, const TVectorInteger& coefficients);

    // Only get() makes fields; the key keeps the constructor usable by the
    // shared registry's emplace and by nobody else.
    class TKey {
        friend class TVekGaloisField;
        TKey() = default;
    };
    TVekGaloisField(TKey, int32_t m, uint32_t polynomial);
    TVekGaloisField(const TVekGaloisField&) = delete;
    TVekGaloisField& operator=(const TVekGaloisField&) = delete;

    int32_t bits() const { return m; }
    uint32_t polynomial() const { return reduction; }
    // n = 2^m - 1: the order of alpha, the largest element, the longest code.
    int32_t order() const { return n; }

    // alpha^e for 0 <= e < 2n (sums of two logarithms need no reduction).
    int32_t exp(int32_t e) const { return expTable[static_cast<size_t>(e)]; }
    // alpha^e for any exponent.
    int32_t power(int64_t e) const;
    // The logarithm of a non-zero element, in [0, n); -1 for zero.
    int32_t log(int32_t a) const { return logTable[static_cast<size_t>(a)]; }

    int32_t multiply(int32_t a, int32_t b) const {
        return a == 0 || b == 0 ? 0 : exp(log(a) + log(b));
    }
    // a / b for b != 0.
    int32_t divide(int32_t a, int32_t b) const { return a == 0 ? 0 : exp(log(a) + n - log(b)); }
    // a * alpha^e for 0 <= e < n: the step of syndrome and root searches.
    int32_t multiplyByPower(int32_t a, int32_t e) const { return a == 0 ? 0 : exp(log(a) + e); }

    // alpha^0 ... alpha^(2n - 1), and the logarithm of every element (-1 at 0).
    const TVectorInteger& exponentials() const { return expTable; }
    const TVectorInteger& logarithms() const { return logTable; }

private:
    int32_t m;
    uint32_t reduction;
    int32_t n;
    TVectorInteger expTable;
    TVectorInteger logTable;
};

}  // namespace orvel
