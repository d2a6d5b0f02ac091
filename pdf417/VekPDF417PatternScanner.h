#pragma once

#include <cstdint>
#include <vector>

#include "foundation/VekGreyImage.h"
#include "pdf417/VekPDF417Candidate.h"
#include "pdf417/VekPDF417EdgeList.h"
#include "pdf417/VekPDF417GuardFinder.h"

namespace orvel {

// Looks for PDF417 symbols (or, given their guards, MicroPDF417 ones)
// along rows and columns of a grey picture, each read both ways: start and stop patterns met on neighbouring lines are
// chained into the symbol's left and right edges, and every start edge with
// the nearest stop edge facing it (or none, for compact symbols) becomes a
// candidate, those crossed by most lines first.
//
// A scan first looks along every other line; refine() adds the lines in
// between, for symbols too small or too damaged for the first look. Most
// symbols cross dozens of lines, so the first look usually suffices.
class TVekPDF417PatternScanner {
public:
    static constexpr int32_t MAX_CANDIDATES = 24;

    // What a scan looks for: the left and right guards of one symbology of
    // the family on a line, the distances between a left and a right
    // guard's outer edges (in modules) a symbol may span, and the data
    // columns such a distance stands for (0: none).
    struct TGuardKind {
        void (*find)(const TVekPDF417EdgeList& edges, std::vector<TVekPDF417Guard>& guards);
        double minModules;
        double maxModules;
        int32_t (*columnsOf)(double modules);
        bool leftAlone;  // a left guard without a right one is a candidate too
        bool everyPair;  // each right guard fitting a left one makes a candidate, not the likeliest alone
    };
    // Start and stop patterns of PDF417.
    static const TGuardKind& pdf417Guards();

    explicit TVekPDF417PatternScanner(const TGuardKind& kind = pdf417Guards()) : kind_(&kind) {}

    // `step`: pixels between the scan lines of scan() and refine() together.
    std::vector<TVekPDF417Candidate> scan(const TVekGreyImage& grey, int32_t step, bool columns);
    // The lines the last scan skipped, then the candidates of all its lines
    // (those of the first look again among them); none before a scan.
    std::vector<TVekPDF417Candidate> refine(const TVekGreyImage& grey);
    // Start and stop patterns met so far.
    int32_t guardCount() const { return static_cast<int32_t>(hits_.size()); }
    // The smallest module of those patterns, in pixels.
    double smallestModule() const { return smallestModule_; }
    // Every pattern met, as a point `depth` modules inside the symbol it
    // would belong to (picture coordinates of the scanned picture).
    std::vector<TVekPointF> insidePoints(double depth = 8) const;
    // The module of each pattern met, in the order of insidePoints().
    std::vector<double> modules() const;

private:
    struct THit {
        double s;  // the scan line's position
        double t;  // along the line
        double module;
        int32_t kind;  // index into tracks_
    };
    struct TTrack {
        std::vector<THit> hits;
        double slope = 0;  // dt / ds
        double offset = 0;
        double module = 0;
        double at(double s) const { return offset + slope * s; }
        void fit();
    };
    // Tracks of one kind (start or stop) and one reading direction.
    using TTracks = std::vector<TTrack>;

    void scanLines(const TVekGreyImage& grey, int32_t first, int32_t step);
    // One line's levels (with their lowest and highest) at position s.
    void scanLine(const float* levels, int32_t count, double s, float low, float high);
    std::vector<TVekPDF417Candidate> candidates();
    static void addHit(TTracks& tracks, const THit& hit, double step);
    void pair(TTracks& starts, TTracks& stops, bool backwards, bool columns, std::vector<TVekPDF417Candidate>& found);
    TVekPDF417Candidate candidate(const TTrack& start, const TTrack* stop, bool backwards, bool columns) const;

    const TGuardKind* kind_;
    std::vector<float> levels_;
    TVekPDF417EdgeList edges_;
    TVekPDF417EdgeList reversed_;
    std::vector<TVekPDF417Guard> guards_;
    std::vector<THit> hits_;  // in the order of their lines
    std::array<TTracks, 4> tracks_;  // forward starts, forward stops, backward starts, backward stops
    int32_t step_ = 4;
    bool columns_ = false;
    bool scanned_ = false;
    bool refined_ = false;
    double smallestModule_ = 1e9;
};

}  // namespace orvel
