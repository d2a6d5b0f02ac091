#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "datamatrix/VekDatamatrixTimingEdges.h"
#include "foundation/VekBarcode.h"
#include "foundation/VekGreyImage.h"
#include "foundation/VekPointF.h"

namespace orvel {

// The second look at a symbol whose outline was found but whose binarized
// modules did not decode: its modules read from the grey picture
// (TVekDatamatrixGreyGrid) for the sizes its clock tracks suggest, both
// ways round, with each way of telling dark from light until Reed-Solomon
// accepts one.
class TVekDatamatrixGreyReader {
public:
    // frame: the outline, in coordinates `scale` times the grey picture's
    // (the barcode's position stays in them); dark: the dark modules counted
    // along its top and right edges in the binarization (the sizes they
    // suggest are tried after those of the grey counts). Only a decoded
    // symbol, never a failure.
    static std::optional<TVekBarcode> read(const TVekGreyImage& grey, const TVekDatamatrixFrame& frame,
                                           double scale, const std::array<int32_t, 2>& dark);
};

}  // namespace orvel
