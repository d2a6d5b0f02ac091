#include "foundation/VekBinaryCache.h"

namespace orvel {

const TVekBitMatrix& TVekBinaryCache::binary(TVekBinarizerKind kind) {
    std::optional<TVekBitMatrix>& slot = kind == TVekBinarizerKind::local ? local_ : global_;
    if (!slot) slot = binarize(grey_, kind);
    return *slot;
}

}  // namespace orvel
