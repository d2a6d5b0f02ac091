#include "qrcode/VekQRSmallFinderArea.h"

#include <algorithm>
#include <cmath>

namespace orvel {

namespace {

// Finder centres of one symbol lie from 14 modules (version 1, side by side)
// to about 240 (version 40, across the diagonal) apart; module sizes are
// measured roughly at these sizes.
constexpr double kMinModulesApart = 10;
constexpr double kMaxModulesApart = 250;
constexpr double kMaxSizeRatio = 2.0;
// Beyond the finder centres: the rest of the finder and the quiet zone.
constexpr double kMarginModules = 8;
// A picture whose small finder candidates are this many is textured all over:
// every pair is a pair of texture.
constexpr size_t kMaxSmallFinders = 24;

}  // namespace

std::optional<TVekRect> TVekQRSmallFinderArea::of(const std::vector<TVekQRFinderCandidate>& candidates, int32_t width,
                                                  int32_t height) {
    std::vector<const TVekQRFinderCandidate*> small;
    for (const auto& c : candidates)
        if (c.moduleSize < smallModule) small.push_back(&c);
    if (small.size() < 2 || small.size() > kMaxSmallFinders || width <= 0 || height <= 0) return std::nullopt;
    double left = width, top = height, right = -1, bottom = -1;
    for (size_t i = 0; i < small.size(); ++i) {
        for (size_t j = i + 1; j < small.size(); ++j) {
            const TVekQRFinderCandidate& a = *small[i];
            const TVekQRFinderCandidate& b = *small[j];
            const double larger = std::max(a.moduleSize, b.moduleSize);
            if (larger > kMaxSizeRatio * std::min(a.moduleSize, b.moduleSize)) continue;
            const double module = (a.moduleSize + b.moduleSize) / 2;
            const double apart = distance(a.centre, b.centre);
            if (apart < kMinModulesApart * module || apart > kMaxModulesApart * module) continue;
            const double reach = apart + kMarginModules * module;
            left = std::min(left, std::min(a.centre.x, b.centre.x) - reach);
            right = std::max(right, std::max(a.centre.x, b.centre.x) + reach);
            top = std::min(top, std::min(a.centre.y, b.centre.y) - reach);
            bottom = std::max(bottom, std::max(a.centre.y, b.centre.y) + reach);
        }
    }
    if (right < left) return std::nullopt;
    TVekRect area;
    area.left = static_cast<int32_t>(std::max(0.0, std::floor(left)));
    area.top = static_cast<int32_t>(std::max(0.0, std::floor(top)));
    area.right = static_cast<int32_t>(std::min(width - 1.0, std::ceil(right)));
    area.bottom = static_cast<int32_t>(std::min(height - 1.0, std::ceil(bottom)));
    if (area.right < area.left || area.bottom < area.top) return std::nullopt;
    return area;
}

}  // namespace orvel
