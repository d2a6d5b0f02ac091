#include "aztec/VekAzBitMap.h"

#include <algorithm>
#include <cstdlib>

namespace orvel {

TVekAzBitMap::TVekAzBitMap(int32_t width, int32_t height, bool compact)
    : width(std::max(width, 0)),
      height(std::max(height, 0)),
      cells(static_cast<size_t>(this->width) * static_cast<size_t>(this->height), static_cast<int8_t>(NOT_SAMPLED)),
      minX(-vekRoundInt((this->width - 1) / 2.0)),
      maxX(vekRoundInt((this->width - 1) / 2.0)),
      minY(-vekRoundInt((this->height - 1) / 2.0)),
      maxY(vekRoundInt((this->height - 1) / 2.0)),
      compact(compact) {}

int32_t layerCoordinate(int32_t number, bool compact) {
    if (compact || number == 0) return number;
    const int32_t magnitude = std::abs(number);
    const int32_t coordinate = magnitude + (magnitude - 1) / 15;
    return number < 0 ? -coordinate : coordinate;
}

namespace {

// Outer number R of layer t (1 = next to the core).
int32_t outerNumber(int32_t layer, bool compact) { return (compact ? 5 : 7) + 2 * layer; }

class TLayerWalker {
public:
    TLayerWalker(const TVekAzBitMap& map, bool compact, TVekAzBitString& out)
        : map(map), compact(compact), out(out) {}

    void readLayer(int32_t r) {
        // Left side downwards, bottom rightwards, right upwards, top leftwards.
        for (int32_t y = -r; y <= r - 2; ++y) step(-r, y, -r + 1, y);
        for (int32_t x = -r; x <= r - 2; ++x) step(x, r, x, r - 1);
        for (int32_t y = r; y >= -r + 2; --y) step(r, y, r - 1, y);
        for (int32_t x = r; x >= -r + 2; --x) step(x, -r, x, -r + 1);
    }

private:
    // One step: the outer module, then the inner one. Full-range runs pass
    // the centre line without a step.
    void step(int32_t outerX, int32_t outerY, int32_t innerX, int32_t innerY) {
        if (!compact && (outerX == 0 || outerY == 0 || innerX == 0 || innerY == 0)) return;
        emit(outerX, outerY);
        emit(innerX, innerY);
    }

    void emit(int32_t x, int32_t y) {
        const int32_t cell = map.getCell(layerCoordinate(x, compact), layerCoordinate(y, compact));
        out.appendBits(cell == TVekAzBitMap::DARK ? 1u : 0u, 1);
    }

    const TVekAzBitMap& map;
    bool compact;
    TVekAzBitString& out;
};

}  // namespace

int32_t layersInMap(const TVekAzBitMap& map, bool compact) {
    const int32_t limit = std::min(std::min(map.getMaxX(), -map.getMinX()), std::min(map.getMaxY(), -map.getMinY()));
    int32_t layers = 0;
    while (layers < 32 && layerCoordinate(outerNumber(layers + 1, compact), compact) <= limit) ++layers;
    return layers;
}

TVekAzBitString readLayers(const TVekAzBitMap& map, bool compact) {
    TVekAzBitString bits;
    // Each module once: the map's area bounds the count.
    bits.reserve(static_cast<size_t>(map.getWidth()) * static_cast<size_t>(map.getHeight()));
    TLayerWalker walker(map, compact, bits);
    for (int32_t layer = layersInMap(map, compact); layer >= 1; --layer) walker.readLayer(outerNumber(layer, compact));
    return bits;
}

}  // namespace orvel
