#include "oned/VekEdgeMemo.h"

namespace orvel {

void TVekEdgeMemo::keep(bool isRow, int32_t at, bool faint, const TVekBarRow& row) {
    if (lines_.size() >= capacity) return;
    for (const TLine& line : lines_)
        if (line.isRow == isRow && line.at == at && line.faint == faint) return;
    lines_.push_back({isRow, at, faint, row});
}

bool TVekEdgeMemo::recallInverted(bool isRow, int32_t at, bool faint, TVekBarRow& inverted) const {
    for (const TLine& line : lines_)
        if (line.isRow == isRow && line.at == at && line.faint == faint) {
            line.row.invertInto(inverted);
            return true;
        }
    return false;
}

}  // namespace orvel
