#include "qrcode/VekReedSolomonQR.h"

#include <stdexcept>

namespace orvel {

namespace {

const char* const kCannotSolve = "Cannot solve RS errors";

// The code after the checks the sizes need before any table is built.
TVekReedSolomon makeCode(int32_t symbolSize, int32_t checkSymbols, const TVectorInteger& primitivePolynomial,
                         int32_t firstRoot) {
    if (symbolSize < 2 || symbolSize > 16) throw std::invalid_argument("Reed-Solomon symbol size out of range");
    if (checkSymbols < 1 || checkSymbols >= (1 << symbolSize) - 1)
        throw std::invalid_argument("Reed-Solomon check symbols out of range");
    return TVekReedSolomon(TVekGaloisField::get(symbolSize, primitivePolynomial), checkSymbols, firstRoot);
}

}  // namespace

TVekReedSolomonQR::TVekReedSolomonQR(int32_t symbolSize_, int32_t checkSymbols_, int32_t dataSymbols_,
                                     const TVectorInteger& primitivePolynomial, int32_t firstRoot)
    : symbolSize(symbolSize_),
      n(0),
      checkSymbols(checkSymbols_),
      dataSymbols(dataSymbols_),
      code(makeCode(symbolSize_, checkSymbols_, primitivePolynomial, firstRoot)) {
    n = code.field().order();
}

void TVekReedSolomonQR::encode(TVectorInteger& word) const {
    word.resize(static_cast<size_t>(n), 0);
    code.encode(word);
}

TVectorInteger TVekReedSolomonQR::decode(const TVectorInteger& received) const {
    TVectorInteger corrected;
    decode(received, corrected);
    return corrected;
}

void TVekReedSolomonQR::decode(const TVectorInteger& received, TVectorInteger& corrected) const {
    if (static_cast<int32_t>(received.size()) > n) throw TVekRSException(kCannotSolve);
    if (&corrected != &received) corrected.assign(received.begin(), received.end());
    if (code.correct(corrected) == TVekReedSolomon::uncorrectable) throw TVekRSException(kCannotSolve);
    corrected.resize(static_cast<size_t>(n), 0);
}

}  // namespace orvel
