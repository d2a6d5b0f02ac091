#include "foundation/VekLineFit.h"

#include <cmath>

namespace orvel {

std::optional<TVekLineFit> TVekLineFit::of(std::span<const TVekPointF> points) {
    if (points.size() < 2) return std::nullopt;
    TVekPointF mean{0, 0};
    for (const TVekPointF& p : points) mean = mean + p;
    mean = (1.0 / static_cast<double>(points.size())) * mean;
    double sxx = 0, sxy = 0, syy = 0;
    for (const TVekPointF& p : points) {
        const TVekPointF d = p - mean;
        sxx += d.x * d.x;
        sxy += d.x * d.y;
        syy += d.y * d.y;
    }
    const double angle = 0.5 * std::atan2(2 * sxy, sxx - syy);
    return TVekLineFit{mean, TVekPointF{std::cos(angle), std::sin(angle)}, sxx + syy};
}

}  // namespace orvel
