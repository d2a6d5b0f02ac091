#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "aztec/VekAzBitString.h"
#include "foundation/VekUtil.h"

namespace orvel {

// The sampled modules of an Aztec symbol in coordinates centred on the
// bull's-eye: (0, 0) is the centre module, x grows to the right and y
// downwards when the symbol is seen upright.
class TVekAzBitMap {
public:
    static constexpr int32_t DARK = 1;
    static constexpr int32_t LIGHT = 0;
    static constexpr int32_t NOT_SAMPLED = -1;

    TVekAzBitMap(int32_t width, int32_t height, bool compact);

    // Cells outside the map read as NOT_SAMPLED; writes outside it are ignored.
    int32_t getCell(int32_t x, int32_t y) const { return contains(x, y) ? cells[index(x, y)] : NOT_SAMPLED; }
    void setCell(int32_t x, int32_t y, int32_t value) {
        if (contains(x, y)) cells[index(x, y)] = static_cast<int8_t>(value);
    }
    bool contains(int32_t x, int32_t y) const {
        // An even size rounds the bounds outwards, so the index is checked as well.
        if (x < minX || x > maxX || y < minY || y > maxY) return false;
        return x - minX < width && y - minY < height;
    }

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    int32_t getMinX() const { return minX; }
    int32_t getMaxX() const { return maxX; }
    int32_t getMinY() const { return minY; }
    int32_t getMaxY() const { return maxY; }
    bool isCompact() const { return compact; }

private:
    int32_t width;
    int32_t height;
    size_t index(int32_t x, int32_t y) const {
        return static_cast<size_t>(x - minX) * static_cast<size_t>(height) + static_cast<size_t>(y - minY);
    }

    // Column by column; one allocation for the whole map (DARK, LIGHT or NOT_SAMPLED).
    std::vector<int8_t> cells;
    int32_t minX;
    int32_t maxX;
    int32_t minY;
    int32_t maxY;
    bool compact;
};

// Every data-layer module of the map in symbol order: layers from the
// outermost inwards, each layer's four sides counter-clockwise from its top
// left corner, each step giving the outer module and then the inner one.
// Full-range symbols skip the rows and columns of the reference grid.
TVekAzBitString readLayers(const TVekAzBitMap& map, bool compact);

// Number of data layers that fit into the map (0 when none does).
int32_t layersInMap(const TVekAzBitMap& map, bool compact);

// Map coordinate of the n-th data row or column counted from the centre: in
// full-range symbols every multiple of 16 belongs to the reference grid and is
// skipped, so 15 is 15 and 16 is 17.
int32_t layerCoordinate(int32_t number, bool compact);

}  // namespace orvel
