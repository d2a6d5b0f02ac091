#include "datamatrix/VekReedSolomonDM.h"

#include <stdexcept>

namespace orvel {

namespace {

constexpr int32_t DM_FIRST_ROOT = 1;

TVekReedSolomon makeCode(int32_t mm, int32_t eccCount, const TVectorInteger& fieldPolynomial) {
    const char* const unsupported = "TVekReedSolomonDM: unsupported code parameters";
    if (mm < 2 || mm > 16 || static_cast<int32_t>(fieldPolynomial.size()) < mm + 1 || eccCount < 1 ||
        eccCount >= (1 << mm) - 1) {
        throw std::invalid_argument(unsupported);
    }
    const TVectorInteger coefficients(fieldPolynomial.begin(), fieldPolynomial.begin() + mm + 1);
    try {
        return TVekReedSolomon(TVekGaloisField::get(mm, coefficients), eccCount, DM_FIRST_ROOT);
    } catch (const std::invalid_argument&) {
        throw std::invalid_argument(unsupported);
    }
}

}  // namespace

TVekReedSolomonDM::TVekReedSolomonDM(int32_t mm, int32_t eccCount, int32_t kk,
                                     const TVectorInteger& fieldPolynomial)
    : mm(mm), nn((1 << mm) - 1), eccCount(eccCount), kk(kk), code(makeCode(mm, eccCount, fieldPolynomial)) {
    for (const int32_t coefficient : code.generator()) generator.push_back(code.field().log(coefficient));
}

void TVekReedSolomonDM::fail() { throw TVekRSException("Cannot solve RS errors"); }

void TVekReedSolomonDM::decodeBlock(const TVectorInteger& received, TVectorInteger& corrected) {
    if (static_cast<int32_t>(received.size()) < nn) {
        throw std::invalid_argument("TVekReedSolomonDM: received word too short");
    }
    TVectorInteger word(received.begin(), received.begin() + nn);
    for (int32_t& symbol : word) symbol &= nn;
    const bool corrects = code.correct(word) != TVekReedSolomon::uncorrectable;
    corrected = std::move(word);
    if (!corrects) fail();
}

}  // namespace orvel
