#include "aztec/VekReedSolomonAZ.h"

#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <utility>

namespace orvel {

namespace {

constexpr int32_t AZTEC_FIRST_ROOT = 1;
// Codes kept for the life of the program. A symbol's size and data count
// pick its code, so a photo tries the same few again and again; building one
// costs K squared field products, more than correcting a clean block. The
// cap bounds what hostile mode messages can make it hold.
constexpr size_t kMaxSharedCodes = 256;

std::shared_ptr<const TVekReedSolomon> sharedCode(const TVekGaloisField& field, int32_t checkSymbols) {
    static std::mutex guard;
    static std::map<std::pair<const TVekGaloisField*, int32_t>, std::shared_ptr<const TVekReedSolomon>> codes;
    const auto key = std::make_pair(&field, checkSymbols);
    {
        const std::lock_guard<std::mutex> lock(guard);
        const auto found = codes.find(key);
        if (found != codes.end()) return found->second;
    }
    auto code = std::make_shared<const TVekReedSolomon>(field, checkSymbols, AZTEC_FIRST_ROOT);
    const std::lock_guard<std::mutex> lock(guard);
    if (codes.size() < kMaxSharedCodes) codes.emplace(key, code);
    return code;
}

}  // namespace

TVekReedSolomonAZ::TVekReedSolomonAZ(int32_t symbolSize, int32_t checkSymbols, int32_t dataSymbols,
                                     const TVectorInteger& primitivePolynomial)
    : symbolSize(symbolSize),
      n(symbolSize >= 2 && symbolSize <= 16 ? (1 << symbolSize) - 1 : 0),
      checkSymbols(checkSymbols),
      dataSymbols(dataSymbols) {
    if (checkSymbols == 0 && n > 0) return;
    try {
        code = sharedCode(TVekGaloisField::get(symbolSize, primitivePolynomial), checkSymbols);
    } catch (const std::invalid_argument&) {
        throw TVekAZReedException("Wrong number of error correction codewords");
    }
}

void TVekReedSolomonAZ::decode(const TVectorInteger& received, TVectorInteger& corrected) const {
    if (static_cast<int32_t>(received.size()) > n) throw TVekAZReedException("Cannot solve RS errors");
    if (&corrected != &received) corrected.assign(received.begin(), received.end());
    if (code) {
        if (code->correct(corrected) == TVekReedSolomon::uncorrectable)
            throw TVekAZReedException("Cannot solve RS errors");
    } else {
        for (const int32_t symbol : corrected)
            if (symbol < 0 || symbol > n) throw TVekAZReedException("Cannot solve RS errors");
    }
    corrected.resize(static_cast<size_t>(n), 0);
}

void TVekReedSolomonAZ::encode(TVectorInteger& word) const {
    word.resize(static_cast<size_t>(n), 0);
    if (code) code->encode(word);
}

TVectorInteger aztecFieldPolynomial(int32_t symbolSize) {
    int32_t value = 0;
    switch (symbolSize) {
        case 4: value = 19; break;     // x^4 + x + 1
        case 6: value = 67; break;     // x^6 + x + 1
        case 8: value = 301; break;    // x^8 + x^5 + x^3 + x^2 + 1
        case 10: value = 1033; break;  // x^10 + x^3 + 1
        case 12: value = 4201; break;  // x^12 + x^6 + x^5 + x^3 + 1
        default: throw TVekAZReedException("Wrong codeword size");
    }
    TVectorInteger coefficients(static_cast<size_t>(symbolSize) + 1, 0);
    for (int32_t i = 0; i <= symbolSize; ++i) coefficients[static_cast<size_t>(i)] = (value >> i) & 1;
    return coefficients;
}

}  // namespace orvel
