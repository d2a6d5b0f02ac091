#pragma once

#include <optional>

#include "foundation/VekBinarizer.h"
#include "foundation/VekBitMatrix.h"
#include "foundation/VekGreyImage.h"

namespace orvel {

// A grey picture with its binarizations, each made the first time a
// detector asks for it, so that the families of one read share them and a
// pass that never runs costs nothing. Belongs to one read call.
class TVekBinaryCache {
public:
    explicit TVekBinaryCache(TVekGreyImage grey) : grey_(std::move(grey)) {}

    const TVekGreyImage& grey() const { return grey_; }
    const TVekBitMatrix& binary(TVekBinarizerKind kind);
    // Whether that binarization has been made already (costs nothing more).
    bool has(TVekBinarizerKind kind) const {
        return kind == TVekBinarizerKind::local ? local_.has_value() : global_.has_value();
    }

private:
    TVekGreyImage grey_;
    std::optional<TVekBitMatrix> global_;
    std::optional<TVekBitMatrix> local_;
};

}  // namespace orvel
