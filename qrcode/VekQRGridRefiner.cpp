#include "qrcode/VekQRGridRefiner.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/VekGridSampler.h"

namespace orvel {

namespace {

constexpr int kRounds = 2;
// How far either side of its predicted place an edge is looked for, in modules.
constexpr double kReach = 0.75;
// The correction is one offset per square of about this many modules: a bend
// is smooth, and single edges are noisy.
constexpr double kCellModules = 7.0;
// A cell with fewer measured edges takes its offset from its neighbours.
constexpr size_t kMinEdges = 3;

// Module-space offsets at the centres of a coarse grid of cells, bilinear in
// between: where the nominal module position (x, y) is really read.
class TOffsetField {
public:
    explicit TOffsetField(int32_t dimension)
        : cells_(std::max<int32_t>(2, static_cast<int32_t>(std::nearbyint(dimension / kCellModules)))),
          cellSize_(static_cast<double>(dimension) / cells_),
          offsets_(static_cast<size_t>(cells_) * cells_) {}

    int32_t cells() const { return cells_; }
    size_t cellOf(TVekPointF m) const {
        const auto i = std::clamp(static_cast<int32_t>(m.x / cellSize_), 0, cells_ - 1);
        const auto j = std::clamp(static_cast<int32_t>(m.y / cellSize_), 0, cells_ - 1);
        return static_cast<size_t>(j) * cells_ + i;
    }
    TVekPointF& at(size_t cell) { return offsets_[cell]; }

    TVekPointF offset(TVekPointF m) const {
        const auto [i0, i1, fx] = between(m.x);
        const auto [j0, j1, fy] = between(m.y);
        const TVekPointF top = (1 - fx) * get(i0, j0) + fx * get(i1, j0);
        const TVekPointF bottom = (1 - fx) * get(i0, j1) + fx * get(i1, j1);
        return (1 - fy) * top + fy * bottom;
    }

private:
    struct TSpan {
        int32_t first, second;
        double fraction;
    };
    TSpan between(double coordinate) const {
        const double g = std::clamp(coordinate / cellSize_ - 0.5, 0.0, cells_ - 1.0);
        const auto first = std::min(static_cast<int32_t>(g), cells_ - 1);
        return {first, std::min(first + 1, cells_ - 1), g - first};
    }
    TVekPointF get(int32_t i, int32_t j) const { return offsets_[static_cast<size_t>(j) * cells_ + i]; }

    int32_t cells_;
    double cellSize_;
    std::vector<TVekPointF> offsets_;
};

class TWarpedGrid {
public:
    TWarpedGrid(const TVekBitMatrix& bits, const TVekPerspectiveTransform& map, const TOffsetField& field)
        : bits_(bits), map_(map), field_(field) {}

    // The pixel under nominal module position m: 0 light, 1 dark, -1 outside.
    int pixel(TVekPointF m) const {
        const TVekPointF p = map_.map(m + field_.offset(m));
        const double tolerance = TVekGridSampler::edgeTolerance;
        if (!(p.x >= -tolerance && p.x < bits_.width() + tolerance && p.y >= -tolerance &&
              p.y < bits_.height() + tolerance))
            return -1;
        const int32_t x = std::clamp(static_cast<int32_t>(std::floor(p.x)), 0, bits_.width() - 1);
        const int32_t y = std::clamp(static_cast<int32_t>(std::floor(p.y)), 0, bits_.height() - 1);
        return bits_.row(y)[x];
    }

    std::optional<TVekBitMatrix> modules(int32_t dimension) const {
        TVekBitMatrix m(dimension, dimension);
        for (int32_t r = 0; r < dimension; ++r) {
            for (int32_t c = 0; c < dimension; ++c) {
                const int v = pixel({c + 0.5, r + 0.5});
                if (v < 0) return std::nullopt;
                m.set(c, r, v == 1);
            }
        }
        return m;
    }

    // How far (in modules, along `direction`) the change from colour `from`
    // to the other one lies from the nominal place `at`: walking from there
    // towards the side of the other colour to its first pixel. None when the
    // change is not within reach.
    std::optional<double> edgeOffset(TVekPointF at, TVekPointF direction, bool from, double step) const {
        const int here = pixel(at);
        if (here < 0) return std::nullopt;
        const double sign = here == static_cast<int>(from) ? 1.0 : -1.0;
        const int wanted = here == static_cast<int>(from) ? !from : from;
        for (double t = step; t <= kReach; t += step) {
            const int seen = pixel(at + (sign * t) * direction);
            if (seen < 0) return std::nullopt;
            if (seen == wanted) return sign * (t - step / 2);
        }
        return std::nullopt;
    }

private:
    const TVekBitMatrix& bits_;
    const TVekPerspectiveTransform& map_;
    const TOffsetField& field_;
};

double median(std::vector<double>& values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Cells without enough edges take the mean of their known neighbours, ring
// by ring outwards from the measured ones.
void fillUnknown(std::vector<TVekPointF>& delta, std::vector<bool>& known, int32_t cells) {
    for (int32_t pass = 0; pass < 2 * cells; ++pass) {
        const std::vector<bool> before = known;
        bool missing = false;
        for (int32_t j = 0; j < cells; ++j) {
            for (int32_t i = 0; i < cells; ++i) {
                const size_t k = static_cast<size_t>(j) * cells + i;
                if (before[k]) continue;
                TVekPointF sum;
                int n = 0;
                for (const auto& [di, dj] : {std::pair{-1, 0}, std::pair{1, 0}, std::pair{0, -1}, std::pair{0, 1}}) {
                    const int32_t ni = i + di, nj = j + dj;
                    if (ni < 0 || nj < 0 || ni >= cells || nj >= cells) continue;
                    const size_t nk = static_cast<size_t>(nj) * cells + ni;
                    if (!before[nk]) continue;
                    sum = sum + delta[nk];
                    ++n;
                }
                if (n == 0) {
                    missing = true;
                    continue;
                }
                delta[k] = (1.0 / n) * sum;
                known[k] = true;
            }
        }
        if (!missing) return;
    }
}

}  // namespace

std::optional<TVekBitMatrix> TVekQRGridRefiner::sample(const TVekBitMatrix& bits, int32_t dimension,
                                                       const TVekPerspectiveTransform& moduleToPicture) {
    if (dimension < 2 || bits.empty()) return std::nullopt;
    const double half = dimension / 2.0;
    if (!moduleToPicture.isFiniteAt({half, half})) return std::nullopt;
    const double moduleSize =
        distance(moduleToPicture.map({half, half}), moduleToPicture.map({half + 1, half}));
    if (!(moduleSize > 0)) return std::nullopt;
    // About two looks per pixel, at least four per module.
    const double step = std::min(0.25, 0.5 / moduleSize);

    TOffsetField field(dimension);
    const int32_t cells = field.cells();
    const TWarpedGrid grid(bits, moduleToPicture, field);
    std::vector<std::vector<double>> across(static_cast<size_t>(cells) * cells);
    std::vector<std::vector<double>> down(across.size());
    for (int round = 0; round < kRounds; ++round) {
        const auto modules = grid.modules(dimension);
        if (!modules) return std::nullopt;
        for (auto& v : across) v.clear();
        for (auto& v : down) v.clear();
        for (int32_t r = 0; r < dimension; ++r) {
            for (int32_t c = 0; c < dimension; ++c) {
                const bool here = modules->get(c, r);
                if (c + 1 < dimension && modules->get(c + 1, r) != here) {
                    const TVekPointF at{c + 1.0, r + 0.5};
                    if (const auto t = grid.edgeOffset(at, {1, 0}, here, step)) across[field.cellOf(at)].push_back(*t);
                }
                if (r + 1 < dimension && modules->get(c, r + 1) != here) {
                    const TVekPointF at{c + 0.5, r + 1.0};
                    if (const auto t = grid.edgeOffset(at, {0, 1}, here, step)) down[field.cellOf(at)].push_back(*t);
                }
            }
        }
        std::vector<TVekPointF> deltaX(across.size());
        std::vector<TVekPointF> deltaY(across.size());
        std::vector<bool> knownX(across.size(), false);
        std::vector<bool> knownY(across.size(), false);
        for (size_t k = 0; k < across.size(); ++k) {
            if (across[k].size() >= kMinEdges) {
                deltaX[k] = {median(across[k]), 0};
                knownX[k] = true;
            }
            if (down[k].size() >= kMinEdges) {
                deltaY[k] = {0, median(down[k])};
                knownY[k] = true;
            }
        }
        fillUnknown(deltaX, knownX, cells);
        fillUnknown(deltaY, knownY, cells);
        for (size_t k = 0; k < across.size(); ++k) field.at(k) = field.at(k) + deltaX[k] + deltaY[k];
    }
    return grid.modules(dimension);
}

}  // namespace orvel
