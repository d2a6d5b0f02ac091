#pragma once

#include <array>
#include <optional>

#include "foundation/VekPointF.h"

namespace orvel {

// A plane projective map (x, y) -> ((a x + b y + c) / (g x + h y + i),
// (d x + e y + f) / (g x + h y + i)): what a camera does to a flat symbol.
class TVekPerspectiveTransform {
public:
    using TQuad = std::array<TVekPointF, 4>;

    // The identity.
    TVekPerspectiveTransform() = default;

    // The unit square (0,0) (1,0) (1,1) (0,1) onto the quadrilateral, corners
    // in that order.
    static TVekPerspectiveTransform squareToQuad(const TQuad& quad);
    // The inverse of squareToQuad; none when the quadrilateral is degenerate.
    static std::optional<TVekPerspectiveTransform> quadToSquare(const TQuad& quad);
    // `from`'s corners onto `to`'s, in order; none when `from` is degenerate.
    static std::optional<TVekPerspectiveTransform> quadToQuad(const TQuad& from, const TQuad& to);

    // Defined here so that the samplers' loops, which map every module,
    // compile it inline.
    TVekPointF map(TVekPointF p) const {
        const double w = m_[6] * p.x + m_[7] * p.y + m_[8];
        return {(m_[0] * p.x + m_[1] * p.y + m_[2]) / w, (m_[3] * p.x + m_[4] * p.y + m_[5]) / w};
    }
    // Applies `first`, then this.
    TVekPerspectiveTransform after(const TVekPerspectiveTransform& first) const;
    // The inverse map; none when this one is singular.
    std::optional<TVekPerspectiveTransform> inverted() const;
    // False when the map divides by (nearly) zero somewhere near the point.
    bool isFiniteAt(TVekPointF point) const;

private:
    explicit TVekPerspectiveTransform(const std::array<double, 9>& m) : m_(m) {}
    // Row-major a b c / d e f / g h i.
    std::array<double, 9> m_{1, 0, 0, 0, 1, 0, 0, 0, 1};
};

}  // namespace orvel
