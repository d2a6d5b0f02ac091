#pragma once

#include <cstdint>
#include <optional>

#include "foundation/VekUtil.h"
#include "qrcode/VekQRBitString.h"
#include "qrcode/VekQRCWDecoder.h"
#include "qrcode/VekQRCodeData.h"

namespace orvel {

// Decodes a sampled QR module matrix: format information, mask, codewords,
// de-interleaving, Reed-Solomon correction per block and the data segments.
class TVekQRCodeDecoder {
public:
    // The version whose module count is n, or 0.
    static int32_t getVersionForModules(int32_t n);
    // Modules per side of a version 1 ... 40.
    static int32_t getModulesForVersion(int32_t version);

    // The corrected data codewords of all blocks as one bit string, or nothing
    // when a block cannot be corrected (or the codewords do not fit the version).
    std::optional<TVekQRBitString> decodeCodewords(int32_t version, int32_t level,
                                                   const TVectorInteger& codewords) const;

    // Decodes a square 0/1 matrix indexed [column][row]. Always returns a record;
    // its success flag is false when the matrix is no QR size, a block cannot be
    // corrected, or the data stream cannot be decoded. Raises nothing.
    TVekQRCodeData decodeArray(const TIntegerMatrix& matrix) const;
    // The same with the caller's data-stream decoder, which keeps what the
    // stream's headers said (structured append, FNC1, ECI switches).
    TVekQRCodeData decodeArray(const TIntegerMatrix& matrix, TVekQRCWDecoder& cwDecoder) const;

    // Level indicator of the format information (bits 3-4) -> level 0 = L ... 3 = H.
    static int32_t levelFromIndicator(int32_t indicator);
};

}  // namespace orvel
