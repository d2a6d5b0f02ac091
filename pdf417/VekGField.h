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

    int32_t add(int32_t a, int32_t b) const;
    int32_t subtract(int32_t a, int32_t b) const;
    int32_t multiply(int32_t a, int32_t b) const;
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
