#include "foundation/VekPerspectiveTransform.h"

#include <cmath>

namespace orvel {

TVekPerspectiveTransform TVekPerspectiveTransform::squareToQuad(const TQuad& q) {
    // Solves the eight unknowns in closed form: the map is affine when the
    // quadrilateral is a parallelogram, otherwise g and h take up the
    // deviation of the fourth corner.
    const double dx3 = q[0].x - q[1].x + q[2].x - q[3].x;
    const double dy3 = q[0].y - q[1].y + q[2].y - q[3].y;
    if (dx3 == 0.0 && dy3 == 0.0) {
        return TVekPerspectiveTransform({q[1].x - q[0].x, q[2].x - q[1].x, q[0].x,  //
                                         q[1].y - q[0].y, q[2].y - q[1].y, q[0].y,  //
                                         0.0, 0.0, 1.0});
    }
    const double dx1 = q[1].x - q[2].x, dx2 = q[3].x - q[2].x;
    const double dy1 = q[1].y - q[2].y, dy2 = q[3].y - q[2].y;
    const double denominator = dx1 * dy2 - dx2 * dy1;
    const double g = (dx3 * dy2 - dx2 * dy3) / denominator;
    const double h = (dx1 * dy3 - dx3 * dy1) / denominator;
    return TVekPerspectiveTransform({q[1].x - q[0].x + g * q[1].x, q[3].x - q[0].x + h * q[3].x, q[0].x,  //
                                     q[1].y - q[0].y + g * q[1].y, q[3].y - q[0].y + h * q[3].y, q[0].y,  //
                                     g, h, 1.0});
}

std::optional<TVekPerspectiveTransform> TVekPerspectiveTransform::quadToSquare(const TQuad& quad) {
    return squareToQuad(quad).inverted();
}

std::optional<TVekPerspectiveTransform> TVekPerspectiveTransform::quadToQuad(const TQuad& from, const TQuad& to) {
    const std::optional<TVekPerspectiveTransform> toSquare = quadToSquare(from);
    if (!toSquare) return std::nullopt;
    return squareToQuad(to).after(*toSquare);
}

TVekPerspectiveTransform TVekPerspectiveTransform::after(const TVekPerspectiveTransform& first) const {
    std::array<double, 9> product{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k) product[3 * r + c] += m_[3 * r + k] * first.m_[3 * k + c];
    return TVekPerspectiveTransform(product);
}

std::optional<TVekPerspectiveTransform> TVekPerspectiveTransform::inverted() const {
    const std::array<double, 9>& m = m_;
    // The adjugate: a projective map is defined up to scale, so dividing by
    // the determinant is only needed to keep the numbers near 1.
    const std::array<double, 9> adjugate{m[4] * m[8] - m[5] * m[7], m[2] * m[7] - m[1] * m[8], m[1] * m[5] - m[2] * m[4],
                                         m[5] * m[6] - m[3] * m[8], m[0] * m[8] - m[2] * m[6], m[2] * m[3] - m[0] * m[5],
                                         m[3] * m[7] - m[4] * m[6], m[1] * m[6] - m[0] * m[7], m[0] * m[4] - m[1] * m[3]};
    const double determinant = m[0] * adjugate[0] + m[1] * adjugate[3] + m[2] * adjugate[6];
    if (!std::isfinite(determinant) || std::abs(determinant) < 1e-300) return std::nullopt;
    std::array<double, 9> inverse{};
    for (int i = 0; i < 9; ++i) inverse[static_cast<size_t>(i)] = adjugate[static_cast<size_t>(i)] / determinant;
    return TVekPerspectiveTransform(inverse);
}

bool TVekPerspectiveTransform::isFiniteAt(TVekPointF p) const {
    const double w = m_[6] * p.x + m_[7] * p.y + m_[8];
    return std::isfinite(w) && std::abs(w) > 1e-9;
}

}  // namespace orvel
