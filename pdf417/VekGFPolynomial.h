#pragma once

#include <cstdint>

#include "foundation/VekUtil.h"
#include "pdf417/VekGField.h"

namespace orvel {

// A polynomial of fixed length over a TVekGField, coefficients in ascending
// order (entry i belongs to x^i). The field is not owned and must outlive the
// polynomial.
class TVekGFPolynomial {
public:
    TVekGFPolynomial(const TVectorInteger& coefficients, const TVekGField& field);

    int32_t evaluate(int32_t x) const;
    // Moves every coefficient one place up; the highest one falls off.
    void multiplyByX();
    int32_t getLength() const { return static_cast<int32_t>(coefficients.size()); }
    // The highest index with a non-zero coefficient, 0 for the zero polynomial.
    int32_t getDegree() const;
    // 0 beyond the length.
    int32_t getCoefficient(int32_t i) const {
        if (i < 0 || i >= getLength()) return 0;
        return coefficients[static_cast<size_t>(i)];
    }
    // Ignored beyond the length.
    void setCoefficient(int32_t i, int32_t value) {
        if (i < 0 || i >= getLength()) return;
        coefficients[static_cast<size_t>(i)] = value;
    }
    TVekGFPolynomial getCopy() const { return *this; }
    // The product modulo x^(maxDegree + 1), with maxDegree + 1 coefficients.
    TVekGFPolynomial multiplyTruncated(const TVekGFPolynomial& other, int32_t maxDegree) const;

private:
    const TVekGField* field;
    TVectorInteger coefficients;
};

}  // namespace orvel
