#include "oned/VekLinearVotes.h"

#include <algorithm>

namespace orvel {

void TVekLinearVotes::add(const TVekLinearRead& read, const TVekBarRow& row, double across, int line) {
    const TVekPointF begin = row.point(row.start(read.firstElement));
    const TVekPointF end = row.point(row.end(read.lastElement));
    const TVekPointF middle = 0.5 * (begin + end);
    for (TVote& vote : votes_) {
        if (vote.read.format != read.format || vote.read.bytes != read.bytes || vote.read.identifier != read.identifier)
            continue;
        if (distance(vote.centre(), middle) > std::max(vote.length(), distance(begin, end))) continue;
        if (vote.lastLine == line) return;
        ++vote.lines;
        if (!read.guessed) ++vote.sureLines;
        vote.lastLine = line;
        vote.read.strong = vote.read.strong || read.strong;
        if (across < vote.firstAcross) vote.firstAcross = across, vote.firstBegin = begin, vote.firstEnd = end;
        if (across > vote.lastAcross) vote.lastAcross = across, vote.lastBegin = begin, vote.lastEnd = end;
        return;
    }
    if (votes_.size() >= maximumVotes) return;
    votes_.push_back({read, 1, read.guessed ? 0 : 1, line, across, across, begin, end, begin, end});
}

int TVekLinearVotes::acceptedCount() const {
    int count = 0;
    for (const TVote& vote : votes_)
        if (vote.accepted() && !outranked(vote)) ++count;
    return count;
}

std::vector<TVekLinearVotes::TUnconfirmed> TVekLinearVotes::unconfirmed(size_t limit) const {
    std::vector<TUnconfirmed> found;
    for (const TVote& vote : votes_) {
        if (found.size() >= limit) break;
        if (vote.accepted()) continue;
        // A row's points share their y, a column's their x.
        found.push_back({vote.firstAcross, vote.firstBegin.y == vote.firstEnd.y});
    }
    return found;
}

bool TVekLinearVotes::TVote::covers(TVekPointF point) const {
    const TVekPointF along = (firstEnd - firstBegin) + (lastEnd - lastBegin);
    const double alongLength = orvel::length(along);
    if (alongLength <= 0) return false;
    const TVekPointF direction = (1 / alongLength) * along;
    const TVekPointF normal{-direction.y, direction.x};
    const TVekPointF offset = point - centre();
    const double halfLength = 0.25 * alongLength;
    const double halfAcross = 0.5 * std::abs(dot(0.5 * (firstBegin + firstEnd) - 0.5 * (lastBegin + lastEnd), normal));
    const double margin = 0.1 * halfLength;
    return std::abs(dot(offset, direction)) <= halfLength + margin && std::abs(dot(offset, normal)) <= halfAcross + margin;
}

namespace {

// True when `longer` is `shorter` read with its add-on.
bool withAddOn(const TVekLinearRead& longer, const TVekLinearRead& shorter) {
    return longer.format == shorter.format && longer.identifier == "]E3" && shorter.identifier != "]E3" &&
           longer.bytes.starts_with(shorter.bytes);
}

}  // namespace

bool TVekLinearVotes::outranked(const TVote& vote) const {
    for (const TVote& other : votes_) {
        if (&other == &vote) continue;
        // A guess yields to any other content read about the same place, on
        // lines of its own rows or not, unless it has more than twice the
        // lines: lines across a blurred symbol misread it alike.
        if (vote.guessedOnly()) {
            if (withAddOn(vote.read, other.read) || withAddOn(other.read, vote.read)) continue;
            if (distance(vote.centre(), other.centre()) > std::max(vote.length(), other.length())) continue;
            if (!other.guessedOnly() && other.accepted()) return true;
            if (2 * other.lines >= vote.lines) return true;
            continue;
        }
        if (!other.accepted() || other.guessedOnly()) continue;
        if (!other.covers(vote.centre()) && !vote.covers(other.centre())) continue;
        // Lines that missed the add-on still read the symbol right.
        if (withAddOn(vote.read, other.read)) continue;
        if (withAddOn(other.read, vote.read)) return true;
        // A symbol clearly longer holds the shorter one; else the one more lines
        // read wins, and a tie leaves neither believable.
        if (other.length() > 1.3 * vote.length()) return true;
        if (vote.length() > 1.3 * other.length()) continue;
        if (other.lines >= vote.lines) return true;
    }
    return false;
}

TVekBarcode TVekLinearVotes::barcode(const TVote& vote, bool inverted) {
    TVekBarcode barcode;
    barcode.format = vote.read.format;
    barcode.bytes = vote.read.bytes;
    barcode.symbologyIdentifier = vote.read.identifier;
    barcode.isInverted = inverted;
    // Clockwise from the symbol's own top-left: the first line read forwards
    // is its top unless the lines ran from its bottom up.
    barcode.position = {vote.firstBegin, vote.firstEnd, vote.lastEnd, vote.lastBegin};
    if (cross(vote.firstEnd - vote.firstBegin, vote.lastBegin - vote.firstBegin) < 0)
        barcode.position = {vote.lastBegin, vote.lastEnd, vote.firstEnd, vote.firstBegin};
    barcode.setOrientationFromPosition();
    return barcode;
}

TVekBarcodes TVekLinearVotes::results(bool inverted) const {
    TVekBarcodes barcodes;
    for (const TVote& vote : votes_)
        if (vote.accepted() && !outranked(vote)) barcodes.push_back(barcode(vote, inverted));
    return barcodes;
}

}  // namespace orvel
