#include "aztec/VekAztecModuleSampler.h"

#include <cmath>

namespace orvel {

TVekAztecModuleSampler::TVekAztecModuleSampler(const TVekPerspectiveTransform& map) : map_(map) {
    // The unit square's image fixes a projective map: solved in closed form,
    // affine when the image is a parallelogram.
    const TVekPointF q0 = map.map({0, 0}), q1 = map.map({1, 0}), q2 = map.map({1, 1}), q3 = map.map({0, 1});
    const double dx3 = q0.x - q1.x + q2.x - q3.x, dy3 = q0.y - q1.y + q2.y - q3.y;
    const double dx1 = q1.x - q2.x, dx2 = q3.x - q2.x;
    const double dy1 = q1.y - q2.y, dy2 = q3.y - q2.y;
    const double denominator = dx1 * dy2 - dx2 * dy1;
    const double g = (dx3 * dy2 - dx2 * dy3) / denominator;
    const double h = (dx1 * dy3 - dx3 * dy1) / denominator;
    m_ = {q1.x - q0.x + g * q1.x, q3.x - q0.x + h * q3.x, q0.x,  //
          q1.y - q0.y + g * q1.y, q3.y - q0.y + h * q3.y, q0.y,  //
          g, h};
    for (const double m : m_)
        if (!std::isfinite(m)) return;
    // Checked at a point away from the square, where a poorly conditioned
    // solution would show.
    recovered_ = true;
    const TVekPointF probe{7.25, -5.5};
    const TVekPointF expected = map.map(probe), got = at(probe.x, probe.y);
    recovered_ = std::isfinite(expected.x) && std::isfinite(expected.y) &&
                 distance(expected, got) <= 1e-6 * (1 + std::fabs(expected.x) + std::fabs(expected.y));
}

}  // namespace orvel
