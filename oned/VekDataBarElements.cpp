#include "oned/VekDataBarElements.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orvel {

namespace {

constexpr size_t maximumElements = 14;
// Spreads tried, in modules added to every bar (and taken from every space).
constexpr std::array<double, 9> spreads = {0, -0.1, 0.1, -0.2, 0.2, -0.3, 0.3, -0.4, 0.4};
// A match's error is below half a module; the widest spread moves a misfit
// by 0.4 modules.
constexpr double hopelessMisfit = 0.5 + 0.4 + 1e-9;

// The bars' and the spaces' misfits against a pattern, by their extremes:
// a spread s moves every bar's misfit by -s and every space's by +s, so the
// largest error at s is at one of the four.
struct TMisfits {
    double barLow = 1e9, barHigh = -1e9, spaceLow = 1e9, spaceHigh = -1e9;

    // False when some element is so far off that no spread brings it
    // within the error a match allows (most patterns, at their first
    // elements).
    bool possible = true;

    TMisfits(const std::array<double, maximumElements>& scaled, size_t count, std::string_view pattern) {
        for (size_t k = 0; k < count; ++k) {
            const double target = pattern[k] - '0';
            const double misfit = (scaled[k] > 0 ? scaled[k] : -scaled[k]) - target;
            if (std::abs(misfit) > hopelessMisfit) {
                possible = false;
                return;
            }
            if (scaled[k] > 0) barLow = std::min(barLow, misfit), barHigh = std::max(barHigh, misfit);
            else spaceLow = std::min(spaceLow, misfit), spaceHigh = std::max(spaceHigh, misfit);
        }
    }
    // The least error any spread can give: it cannot bring the bars' (or
    // the spaces') misfits closer than half their range. Most patterns are
    // ruled out by this alone, before the spreads are tried.
    double spreadFree() const { return 0.5 * std::max(barHigh - barLow, spaceHigh - spaceLow); }
    double errorAt(double spread) const {
        double error = 0;
        if (barLow <= barHigh) error = std::max(std::abs(barHigh - spread), std::abs(barLow - spread));
        if (spaceLow <= spaceHigh) error = std::max({error, std::abs(spaceHigh + spread), std::abs(spaceLow + spread)});
        return error;
    }
};

}  // namespace

bool TVekDataBarElements::holds(size_t count) const {
    if (count == 0) return true;
    if (backwards_) return origin_ + 1 >= count && origin_ < row_.size();
    return origin_ + count <= row_.size();
}

double TVekDataBarElements::sum(size_t first, size_t count) const {
    if (count == 0) return 0;
    const size_t low = backwards_ ? index(first + count - 1) : index(first);
    return span(row_, low, count);
}

TVekDataBarElements TVekDataBarElements::turnedAt(size_t k) const {
    return TVekDataBarElements(row_, index(k), !backwards_);
}

bool TVekDataBarElements::toModules(size_t first, int modules, int widest, std::span<int> out) const {
    const size_t count = out.size();
    if (count > maximumElements || !holds(first + count)) return false;
    const double total = sum(first, count);
    if (total <= 0) return false;
    const double moduleSize = total / modules;
    std::array<double, maximumElements> scaled{};
    for (size_t k = 0; k < count; ++k) scaled[k] = width(first + k) / moduleSize;
    double bestError = 1e9;
    std::array<int, maximumElements> best{};
    for (const double spread : spreads) {
        std::array<int, maximumElements> rounded{};
        double error = 0;
        int total = 0;
        bool fits = true;
        for (size_t k = 0; k < count && fits; ++k) {
            const double corrected = scaled[k] + (isBar(first + k) ? -spread : spread);
            rounded[k] = static_cast<int>(std::nearbyint(corrected));
            fits = rounded[k] >= 1 && rounded[k] <= widest;
            error = std::max(error, std::abs(corrected - rounded[k]));
            total += rounded[k];
        }
        if (!fits || total != modules) continue;
        if (error < bestError) bestError = error, best = rounded;
    }
    if (bestError > 0.45) return false;
    std::copy_n(best.begin(), count, out.begin());
    return true;
}

int TVekDataBarElements::matchPattern(size_t first, std::span<const std::string_view> patterns, int modules,
                                      double& moduleSize) const {
    if (patterns.empty()) return -1;
    const size_t count = patterns[0].size();
    if (count > maximumElements || !holds(first + count)) return -1;
    moduleSize = sum(first, count) / modules;
    if (moduleSize <= 0) return -1;
    // Widths in modules, spaces made negative so that one spread serves both.
    std::array<double, maximumElements> scaled{};
    for (size_t k = 0; k < count; ++k) {
        scaled[k] = width(first + k) / moduleSize;
        if (!isBar(first + k)) scaled[k] = -scaled[k];
    }
    int found = -1;
    double bestError = 0.5;
    for (size_t p = 0; p < patterns.size(); ++p) {
        const TMisfits misfits(scaled, count, patterns[p]);
        if (!misfits.possible || misfits.spreadFree() >= bestError + 1e-9) continue;
        for (const double spread : spreads) {
            const double error = misfits.errorAt(spread);
            if (error < bestError) bestError = error, found = static_cast<int>(p);
        }
    }
    return found;
}

}  // namespace orvel
