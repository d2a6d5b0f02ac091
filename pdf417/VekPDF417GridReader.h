#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "foundation/VekGreyImage.h"
#include "foundation/VekPerspectiveTransform.h"
#include "pdf417/VekPDF417Candidate.h"
#include "pdf417/VekPDF417CellVotes.h"
#include "pdf417/VekPDF417CharacterReader.h"
#include "pdf417/VekPDF417EdgeList.h"
#include "pdf417/VekPDF417FrameSampler.h"
#include "pdf417/VekPDF417Grid.h"
#include "pdf417/VekPDF417RowFit.h"

namespace orvel {

// Reads the codewords of a candidate symbol along its own rows. The start
// and stop edges span a frame in module units (x across, v down the edges)
// mapped into the picture through perspective. A first sweep over the whole
// frame reads only the row indicators: they give each line's row, and thus
// where every row lies along either edge, and they vote for the numbers of
// rows and columns and the error-correction level. A second sweep then
// follows each row from its place on the left edge to its place on the
// right edge with a few lines, and each codeword whose cluster belongs to
// the row votes for its cell.
//
// A quick read sweeps the indicators more sparsely and leaves a row after
// one line once every cell has a clear reading; a thorough read takes a
// line every two modules and confirms every cell by a second line.
class TVekPDF417GridReader {
public:
    explicit TVekPDF417GridReader(const TVekGreyImage& grey) : sampler_(grey) {}

    std::optional<TVekPDF417Grid> read(const TVekPDF417Candidate& candidate, bool thorough = true);

private:
    using TRowRead = TVekPDF417RowFit::TRead;
    using TRowFit = TVekPDF417RowFit;
    using TCell = TVekPDF417CellVotes;
    struct TShapeVotes {
        std::array<int32_t, 30> rowGroups{};
        std::array<int32_t, 3> rowRests{};
        std::array<int32_t, 9> ecLevels{};
        std::array<int32_t, 30> columns{};
    };

    // Sweeps the indicators in a frame of `columns` data columns; the
    // columns they vote for (after a second sweep when that differs), or 0.
    int32_t shape(const TVekPDF417Candidate& candidate, int32_t columns, TShapeVotes& votes);
    void setFrame(const TVekPDF417Candidate& candidate, int32_t columns);
    void sweepIndicators(TShapeVotes& votes);
    void readIndicator(double expected, double v, bool left, TShapeVotes& votes);
    void readRow(int32_t row, double vLeft, double vRight, int32_t columns, std::vector<TCell>& cells);

    TVekPDF417FrameSampler sampler_;
    double width_ = 0;   // modules from the start's outer edge to the right edge of the frame
    double module_ = 1;  // pixels per module
    bool hasStop_ = false;
    bool aliased_ = false;
    bool thorough_ = true;
    std::vector<TRowRead> leftReads_;
    std::vector<TRowRead> rightReads_;
    TVekPDF417EdgeList edges_;
    TVekPDF417EdgeList snapped_;  // edges_ on whole modules
};

}  // namespace orvel
