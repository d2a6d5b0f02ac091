#include "datamatrix/VekDatamatrixCornerFinder.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace orvel {

namespace {

using TOutline = TVekDatamatrixOutlines::TOutline;

// How far (pixels) a binarized straight edge strays from its line: the
// staircase of a slanted edge and the noise of a photograph.
constexpr double STRAIGHTNESS = 1.8;
// Neighbouring pieces closer than this in direction are one side.
constexpr double SAME_DIRECTION_COS = 0.985;
// Steps (pixels) in a long edge that do not end it.
constexpr double MAX_JOG = 3.0;
// The corner of an L seen tilted by up to about 45 degrees.
constexpr double MAX_CORNER_COS = 0.72;
// The longer side of the longest rectangle (8 x 144: 18 to 1), foreshortened
// on top.
constexpr double MAX_SIDE_RATIO = 22.0;
// Share of dark pixels just inside a solid side.
constexpr double SOLID_SHARE = 0.85;
// L candidates kept from one outline.
constexpr size_t MAX_PER_OUTLINE = 6;
// Short pieces between two sides that still make a corner, and their length
// against the shorter side.
constexpr int32_t MAX_BEVEL_PIECES = 2;
constexpr double MAX_BEVEL = 0.2;

double squaredDistance(TVekPointF a, TVekPointF b) {
    const TVekPointF d = a - b;
    return dot(d, d);
}

}  // namespace

// Douglas-Peucker on the closed outline: vertex indices in outline order.
// The distance to a line is largest at an end of each straight step run, so
// only the points where the outline turns are looked at (with the same first
// farthest point as a look at every point). Distances are compared squared
// and against each chord's normal worked out once.
std::vector<size_t> TVekDatamatrixCornerFinder::simplify(const TOutline& outline, double tolerance) {
    const size_t n = outline.size();
    if (n == 0) return {};
    std::vector<size_t> turns;  // outline indices, then n for the closing point
    turns.reserve(n / 2 + 2);
    turns.push_back(0);
    for (size_t i = 1; i + 1 < n; ++i) {
        if (!(outline[i] - outline[i - 1] == outline[i + 1] - outline[i])) turns.push_back(i);
    }
    if (n > 1) turns.push_back(n - 1);
    turns.push_back(n);
    const size_t m = turns.size() - 1;  // position of the closing point
    // The turning points side by side, the closing one last: the scans below
    // read them in order instead of jumping through the outline.
    std::vector<TVekPointF> points(m + 1);
    for (size_t p = 0; p < m; ++p) points[p] = outline[turns[p]];
    points[m] = outline[0];
    size_t far = 0;
    double farDistance = -1;
    for (size_t p = 0; p < m; ++p) {
        const double d = squaredDistance(points[p], points[0]);
        if (d > farDistance) {
            farDistance = d;
            far = p;
        }
    }
    std::vector<size_t> vertices = {0, turns[far]};
    std::vector<std::pair<size_t, size_t>> ranges = {{0, far}, {far, m}};
    while (!ranges.empty()) {
        const auto [a, b] = ranges.back();
        ranges.pop_back();
        const TVekPointF from = points[a];
        const TVekPointF chord = points[b] - from;
        const double chordSquared = dot(chord, chord);
        // Against a chord of no length (a closed loop) the distance is to its end.
        const bool isPoint = chordSquared < 1e-18;
        const double limit = tolerance * tolerance * (isPoint ? 1.0 : chordSquared);
        double worst = limit;
        size_t split = 0;
        for (size_t p = a + 1; p < b; ++p) {
            const TVekPointF d = points[p] - from;
            const double c = isPoint ? dot(d, d) : cross(chord, d) * cross(chord, d);
            if (c > worst) {
                worst = c;
                split = p;
            }
        }
        if (split == 0) continue;
        vertices.push_back(turns[split]);
        ranges.push_back({a, split});
        ranges.push_back({split, b});
    }
    std::sort(vertices.begin(), vertices.end());
    vertices.erase(std::unique(vertices.begin(), vertices.end()), vertices.end());
    return vertices;
}

// The simplified pieces with nearly collinear neighbours joined, so that a
// nick in a long edge does not cut it in two.
std::vector<TVekDatamatrixCornerFinder::TPiece> TVekDatamatrixCornerFinder::straightPieces(
    const TOutline& outline, const std::vector<size_t>& vertices) {
    const size_t n = outline.size();
    const size_t count = vertices.size();
    std::vector<TPiece> pieces;
    if (count < 3) return pieces;
    // The unit direction of each simplified segment, from vertex j to j + 1.
    std::vector<TVekPointF> directions(count);
    std::vector<double> lengths(count);
    for (size_t j = 0; j < count; ++j) {
        const TVekPointF d = outline[vertices[(j + 1) % count] % n] - outline[vertices[j] % n];
        lengths[j] = std::sqrt(dot(d, d));
        directions[j] = lengths[j] > 0 ? (1.0 / lengths[j]) * d : d;
    }
    // A step of a pixel or two between two pieces running the same way (a
    // gently curved edge) takes their direction.
    for (size_t j = 0; j < count; ++j) {
        const size_t before = (j + count - 1) % count;
        const size_t after = (j + 1) % count;
        if (lengths[j] < MAX_JOG && lengths[before] >= MAX_JOG && lengths[after] >= MAX_JOG &&
            dot(directions[before], directions[after]) >= SAME_DIRECTION_COS)
            directions[j] = directions[before];
    }
    auto turns = [&](size_t j) {  // at vertex j
        return dot(directions[(j + count - 1) % count], directions[j % count]) < SAME_DIRECTION_COS;
    };
    // Start after a real turn so that no joined piece wraps over the start.
    size_t start = 0;
    for (size_t j = 0; j < count; ++j) {
        if (turns(j)) {
            start = j;
            break;
        }
    }
    for (size_t j = 0; j < count;) {
        const size_t from = vertices[(start + j) % count];
        size_t k = j + 1;
        while (k < count && !turns(start + k)) ++k;
        size_t to = vertices[(start + k) % count];
        if (to <= from) to += n;
        pieces.push_back({from, to});
        j = k;
    }
    return pieces;
}

// The line through the middle of a piece's pixels, away from its rounded
// ends.
std::optional<TVekDatamatrixEdgeLine> TVekDatamatrixCornerFinder::fitPiece(const TOutline& outline,
                                                                            const TPiece& piece) {
    const size_t n = outline.size();
    const size_t span = piece.to - piece.from;
    const size_t trim = span / 8;
    std::vector<TVekPointF> points;
    points.reserve(span);
    for (size_t k = piece.from + trim; k <= piece.to - trim; ++k) points.push_back(outline[k < n ? k : k - n]);
    return TVekDatamatrixEdgeLine::fit(points);
}

bool TVekDatamatrixCornerFinder::isSolid(const TVekBitMatrix& picture, const TVekDatamatrixEdgeLine& side,
                                         TVekPointF from, TVekPointF to, TVekPointF inside) {
    const TVekPointF inward = side.normalTowards(inside);
    const TVekPointF a = side.project(from);
    const TVekPointF b = side.project(to);
    const int32_t steps = std::clamp(static_cast<int32_t>(distance(a, b)), 8, 400);
    int32_t dark = 0, total = 0;
    for (int32_t i = steps / 10; i <= steps - steps / 10; ++i) {
        const TVekPointF p = a + (static_cast<double>(i) / steps) * (b - a) + 1.0 * inward;
        dark += picture.getOrLight(static_cast<int32_t>(std::floor(p.x)), static_cast<int32_t>(std::floor(p.y)));
        ++total;
    }
    return total > 0 && dark >= SOLID_SHARE * total;
}

std::vector<TVekDatamatrixL> TVekDatamatrixCornerFinder::find(const TVekBitMatrix& picture, const TOutline& outline,
                                                              double minSide) {
    std::vector<TVekDatamatrixL> found;
    const size_t n = outline.size();
    if (n < 8) return found;
    double area = 0;
    for (size_t i = 0; i + 1 < n; ++i) area += cross(outline[i], outline[i + 1]);
    area += cross(outline[n - 1], outline[0]);
    const std::vector<TPiece> pieces = straightPieces(outline, simplify(outline, STRAIGHTNESS));
    const size_t count = pieces.size();
    std::vector<double> lengths(count);
    for (size_t j = 0; j < count; ++j) {
        const TVekPointF d = outline[pieces[j].to % n] - outline[pieces[j].from % n];
        lengths[j] = std::sqrt(dot(d, d));
    }
    for (size_t j = 0; j < count; ++j) {
        const TPiece& in = pieces[j];
        const TVekPointF start = outline[in.from % n];
        const TVekPointF inEnd = outline[in.to % n];
        const double inLength = lengths[j];
        if (inLength < minSide) continue;
        // A worn or blurred corner leaves a short bevel between the sides.
        size_t k = (j + 1) % count;
        double bevel = 0;
        for (int32_t skipped = 0; skipped < MAX_BEVEL_PIECES; ++skipped) {
            const double pieceLength = lengths[k];
            if (pieceLength >= minSide) break;
            bevel += pieceLength;
            k = (k + 1) % count;
        }
        const TPiece& out = pieces[k];
        const TVekPointF outStart = outline[out.from % n];
        const TVekPointF end = outline[out.to % n];
        const double outLength = lengths[k];
        if (outLength < minSide || bevel > MAX_BEVEL * std::min(inLength, outLength)) continue;
        const TVekPointF corner = 0.5 * (inEnd + outStart);
        if (std::max(inLength, outLength) > MAX_SIDE_RATIO * std::min(inLength, outLength)) continue;
        const TVekPointF u = (1.0 / inLength) * (inEnd - start);
        const TVekPointF v = (1.0 / outLength) * (end - outStart);
        const double turn = cross(u, v);
        if (turn * area <= 0 || std::abs(dot(u, v)) > MAX_CORNER_COS) continue;
        auto inLine = fitPiece(outline, in);
        auto outLine = fitPiece(outline, out);
        if (!inLine || !outLine) continue;
        const TVekPointF inside = (1.0 / 3.0) * (start + corner + end);
        if (!isSolid(picture, *inLine, start, corner, inside) || !isSolid(picture, *outLine, corner, end, inside))
            continue;
        // Lines on the pixels' outer edges rather than their centres.
        const TVekDatamatrixEdgeLine inSide = inLine->movedAway(0.5, inside);
        const TVekDatamatrixEdgeLine outSide = outLine->movedAway(0.5, inside);
        const auto meet = intersect(inSide, outSide);
        if (!meet) continue;
        TVekDatamatrixL l{*meet, inSide.project(start), outSide.project(end), inSide, outSide};
        // An upright symbol's left side runs down to the corner and its
        // bottom side on to the right (a negative cross product with y down).
        if (cross(l.corner - l.firstEnd, l.secondEnd - l.corner) > 0) {
            std::swap(l.firstEnd, l.secondEnd);
            std::swap(l.firstSide, l.secondSide);
        }
        found.push_back(l);
    }
    // The longest first: the corners of runs of data modules next to a
    // clock track make small Ls too.
    auto size = [](const TVekDatamatrixL& l) {
        return distance(l.corner, l.firstEnd) * distance(l.corner, l.secondEnd);
    };
    std::sort(found.begin(), found.end(), [&](const auto& a, const auto& b) { return size(a) > size(b); });
    if (found.size() > MAX_PER_OUTLINE) found.resize(MAX_PER_OUTLINE);
    return found;
}

}  // namespace orvel
