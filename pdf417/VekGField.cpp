#include "pdf417/VekGField.h"

namespace orvel {

TVekGField::TVekGField(int32_t size, int32_t kind)
    : kind(kind), exp(static_cast<size_t>(size) + 1, 0), log(static_cast<size_t>(size) + 1, 0), size(size) {
    int32_t value = 1;
    for (int32_t i = 0; i <= size - 2; ++i) {
        exp[static_cast<size_t>(i)] = value;
        log[static_cast<size_t>(value)] = i;
        value = (value * 3) % size;
    }
    log[0] = size - 1;
    log[static_cast<size_t>(size)] = size - 1;
    exp[static_cast<size_t>(size)] = 1;
}

int32_t TVekGField::subtract(int32_t a, int32_t b) const {
    if (kind == 2) return a ^ b;
    const int32_t difference = (a - b) % size;
    return difference < 0 ? difference + size : difference;
}

int32_t TVekGField::divide(int32_t a, int32_t b) const {
    int32_t exponent = (log[static_cast<size_t>(a)] - log[static_cast<size_t>(b)]) % (size - 1);
    if (exponent < 0) exponent += size - 1;
    return exp[static_cast<size_t>(exponent)];
}

}  // namespace orvel
