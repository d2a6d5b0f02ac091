#include "foundation/VekGaloisField.h"

#include <map>
#include <mutex>
#include <stdexcept>

namespace orvel {

const TVekGaloisField& TVekGaloisField::get(int32_t m, uint32_t polynomial) {
    // Node-based, so a field never moves once made; codes keep plain references.
    static std::mutex guard;
    static std::map<uint64_t, TVekGaloisField> fields;
    const uint64_t key = (static_cast<uint64_t>(static_cast<uint32_t>(m)) << 32) | polynomial;
    const std::lock_guard<std::mutex> lock(guard);
    const auto found = fields.find(key);
    if (found != fields.end()) return found->second;
    return fields.try_emplace(key, TKey{}, m, polynomial).first->second;
}

const TVekGaloisField& TVekGaloisField::get(int32_t m, const TVectorInteger& coefficients) {
    if (m < 2 || m > 16) throw std::invalid_argument("Reed-Solomon symbol size out of range");
    if (static_cast<int32_t>(coefficients.size()) != m + 1)
        throw std::invalid_argument("Reed-Solomon field polynomial needs m + 1 coefficients");
    uint32_t polynomial = 1u << m;
    for (int32_t i = 0; i < m; ++i)
        if (coefficients[static_cast<size_t>(i)] != 0) polynomial |= 1u << i;
    return get(m, polynomial);
}

TVekGaloisField::TVekGaloisField(TKey, int32_t m_, uint32_t polynomial)
    : m(m_), reduction(polynomial), n(0) {
    if (m < 2 || m > 16) throw std::invalid_argument("Reed-Solomon symbol size out of range");
    if ((polynomial >> m) != 1u) throw std::invalid_argument("Reed-Solomon field polynomial is not of degree m");
    n = (1 << m) - 1;
    expTable.assign(2 * static_cast<size_t>(n), 0);
    logTable.assign(static_cast<size_t>(n) + 1, -1);
    // Powers of x reduced by the polynomial. A polynomial that is not primitive
    // comes back to an element already seen before n steps, and every code over
    // it would decode wrongly.
    uint32_t element = 1;
    for (int32_t i = 0; i < n; ++i) {
        if (element == 0 || logTable[element] != -1)
            throw std::invalid_argument("Reed-Solomon field polynomial is not primitive");
        expTable[static_cast<size_t>(i)] = static_cast<int32_t>(element);
        expTable[static_cast<size_t>(i + n)] = static_cast<int32_t>(element);
        logTable[element] = i;
        element <<= 1;
        if (element >> m) element ^= polynomial;
    }
}

int32_t TVekGaloisField::power(int64_t e) const {
    int64_t reduced = e % n;
    if (reduced < 0) reduced += n;
    return expTable[static_cast<size_t>(reduced)];
}

}  // namespace orvel
