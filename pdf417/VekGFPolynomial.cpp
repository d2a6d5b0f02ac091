#include "pdf417/VekGFPolynomial.h"

#include <algorithm>

namespace orvel {

TVekGFPolynomial::TVekGFPolynomial(const TVectorInteger& coefficients, const TVekGField& field)
    : field(&field), coefficients(coefficients) {}

int32_t TVekGFPolynomial::evaluate(int32_t x) const {
    // Horner's rule: the same value as summing c[i]·x^i, with one
    // multiplication per coefficient and no table of powers.
    int32_t sum = 0;
    for (auto c = coefficients.rbegin(); c != coefficients.rend(); ++c) {
        sum = field->add(field->multiply(sum, x), *c);
    }
    return sum;
}

void TVekGFPolynomial::multiplyByX() {
    if (coefficients.empty()) return;
    std::copy_backward(coefficients.begin(), coefficients.end() - 1, coefficients.end());
    coefficients[0] = 0;
}

int32_t TVekGFPolynomial::getDegree() const {
    for (int32_t i = getLength() - 1; i > 0; --i) {
        if (coefficients[static_cast<size_t>(i)] != 0) return i;
    }
    return 0;
}

TVekGFPolynomial TVekGFPolynomial::multiplyTruncated(const TVekGFPolynomial& other, int32_t maxDegree) const {
    TVectorInteger product(static_cast<size_t>(std::max(maxDegree + 1, 0)), 0);
    for (int32_t k = 0; k <= maxDegree; ++k) {
        int32_t sum = 0;
        const int32_t first = std::max(0, k - (getLength() - 1));
        const int32_t last = std::min(k, other.getLength() - 1);
        for (int32_t j = first; j <= last; ++j) {
            sum = field->add(sum, field->multiply(coefficients[static_cast<size_t>(k - j)],
                                                  other.coefficients[static_cast<size_t>(j)]));
        }
        product[static_cast<size_t>(k)] = sum;
    }
    return TVekGFPolynomial(product, *field);
}

}  // namespace orvel
