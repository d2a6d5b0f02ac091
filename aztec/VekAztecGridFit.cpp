#include "aztec/VekAztecGridFit.h"

#include "foundation/VekModuleVote.h"

namespace orvel {

namespace {

// The reference grid's centre lines leave the core at this distance.
constexpr int32_t kFirstArmModule = 8;

// Modules of the four arms of the centre row and column that match the
// alternating pattern.
int32_t armAgreement(const TVekImage& picture, const TVekPoint& centre, const TVekAztecGrid& grid, int32_t halfSize) {
    int32_t agreeing = 0;
    for (int32_t arm = 0; arm < 4; ++arm) {
        const double direction = grid.angle + 90.0 * arm;
        for (int32_t d = kFirstArmModule; d <= halfSize; ++d) {
            const TVekPoint point = TVekPoint::pointAt(centre.x, centre.y, direction, d * grid.moduleSize);
            const int32_t expected = d % 2 == 0 ? 1 : 0;
            if (TVekModuleVote::sample(picture, point, grid.moduleSize) == expected) ++agreeing;
        }
    }
    return agreeing;
}

struct TFitSearch {
    const TVekImage& picture;
    const TVekPoint& centre;
    int32_t halfSize;
    TVekAztecGrid best;
    int32_t bestScore;

    // Tries `steps` grids on each side of the best one, moving the angle or the
    // module size (relative) by `step`; ties keep the earlier, nearer grid.
    void search(bool angle, double step, int32_t steps) {
        const TVekAztecGrid origin = best;
        for (int32_t i = 1; i <= steps; ++i) {
            for (const int32_t sign : {-1, 1}) {
                TVekAztecGrid grid = origin;
                if (angle)
                    grid.angle += sign * i * step;
                else
                    grid.moduleSize *= 1 + sign * i * step;
                const int32_t score = armAgreement(picture, centre, grid, halfSize);
                if (score > bestScore) {
                    bestScore = score;
                    best = grid;
                }
            }
        }
    }
};

}  // namespace

TVekAztecGrid fitReferenceGrid(const TVekImage& picture, const TVekPoint& centre, const TVekAztecGrid& grid,
                               int32_t halfSize) {
    if (halfSize <= kFirstArmModule || grid.moduleSize <= 0) return grid;
    TFitSearch fit{picture, centre, halfSize, grid, armAgreement(picture, centre, grid, halfSize)};
    // Coarse to fine, the direction first: it moves the far modules most.
    fit.search(true, 0.2, 10);
    fit.search(false, 0.005, 8);
    fit.search(true, 0.05, 3);
    fit.search(false, 0.002, 2);
    return fit.best;
}

}  // namespace orvel
