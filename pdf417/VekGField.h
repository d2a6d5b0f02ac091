#pragma once

#include <cstdint>

#include "foundation/VekUtil.h"

namespace orvel {

// Arithmetic in the prime field GF(size) through exponent and logarithm tables
// of the primitive element 3. PDF417 uses size 929.
//
// The tables have size + 1 entries: log[0] and log[size] are size - 1, which is
// 0 in the exponent arithmetic, so the value size behaves like 1 in multiply
// and divide. Operands are field elements 0 ... size - 1 (or size).
class TVekGField {
public:
    // kind 2 makes addition and subtraction exclusive-or (a binary field); the
    // PDF417 code always passes 3.
    TVekGField(int32_t size, int32_t kind);

    // add and multiply run inside every syndrome, locator and root search
    // loop, so they are inline and reduce by subtraction instead of division
    // or data-dependent jumps.
    int32_t add(int32_t a, int32_t b) const {
        if (kind == 2) return a ^ b;
        // Operands lie in 0 ... size, so two conditional subtractions (which
        // compile without jumps) reduce any sum.
        int32_t sum = a + b;
        sum -= size & -static_cast<int32_t>(sum >= size);
        sum -= size & -static_cast<int32_t>(sum >= size);
        return sum;
    }
    int32_t subtract(int32_t a, int32_t b) const;
    int32_t multiply(int32_t a, int32_t b) const {
        if (a == 0 || b == 0) return 0;
        // Both logarithms lie in 0 ... size - 1.
        const int32_t order = size - 1;
        int32_t exponent = log[static_cast<size_t>(a)] + log[static_cast<size_t>(b)];
        exponent -= order & -static_cast<int32_t>(exponent >= order);
        exponent -= order & -static_cast<int32_t>(exponent >= order);
        return exp[static_cast<size_t>(exponent)];
    }
    // No zero test: callers never use the quotient of 0 and never divide by 0.
    int32_t divide(int32_t a, int32_t b) const;

    int32_t getSize() const { return size; }
    int32_t getKind() const { return kind; }
    // 3^i mod size for i = 0 ... size - 2; expOf(size) = 1.
    int32_t expOf(int32_t i) const { return exp[static_cast<size_t>(i)]; }
    // The exponent of a non-zero element; logOf(0) = logOf(size) = size - 1.
    int32_t logOf(int32_t a) const { return log[static_cast<size_t>(a)]; }

private:
    int32_t kind;
    TVectorInteger exp;
    TVectorInteger log;
    int32_t size;
};

}  // namespace orvel
