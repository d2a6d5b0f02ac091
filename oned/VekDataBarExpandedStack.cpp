#include "oned/VekDataBarExpandedStack.h"

#include <algorithm>
#include <optional>

namespace orvel {

namespace {

constexpr size_t pairElements = 21;

int label(const TVekDataBarExpandedStack::TPair& pair) { return pair.finder * 2 + (pair.reversed ? 1 : 0); }

}  // namespace

bool TVekDataBarExpandedStack::samePairs(const TSegment& a, const TSegment& b) {
    if (a.pairs.size() != b.pairs.size()) return false;
    for (size_t i = 0; i < a.pairs.size(); ++i) {
        const TPair &p = a.pairs[i], &q = b.pairs[i];
        if (label(p) != label(q) || p.left.value != q.left.value || p.hasRight != q.hasRight ||
            (p.hasRight && p.right.value != q.right.value))
            return false;
    }
    return true;
}

void TVekDataBarExpandedStack::add(TSegment segment, int line) {
    for (TSegment& known : segments_) {
        if (!samePairs(known, segment)) continue;
        if (known.lastLine != line) ++known.lines, known.lastLine = line;
        return;
    }
    if (segments_.size() >= maximumSegments) return;
    segment.lastLine = line;
    segments_.push_back(std::move(segment));
}

void TVekDataBarExpandedStack::collect(const TVekBarRow& row, int line) {
    for (size_t start = 1; start + 13 <= row.size(); ++start) {
        if (!TVekDataBarExpandedLineDecoder::pairShaped(row, start)) continue;
        TSegment segment;
        size_t at = start;
        while (true) {
            TPair pair;
            if (!TVekDataBarExpandedLineDecoder::readPair(row, at, pair)) break;
            const bool whole = pair.hasRight;
            if (!segment.pairs.empty()) {
                const double ratio = pair.moduleSize / segment.pairs.back().moduleSize;
                if (ratio < 0.8 || ratio > 1.25) break;
            }
            segment.pairs.push_back(pair);
            if (!whole) break;
            at += pairElements;
        }
        if (segment.pairs.empty()) continue;
        segment.begin = row.point(row.start(segment.pairs.front().firstElement));
        segment.end = row.point(row.end(segment.pairs.back().lastElement));
        start = segment.pairs.back().lastElement;
        add(std::move(segment), line);
    }
}

bool TVekDataBarExpandedStack::fits(const TSegment& segment, int pairCount, size_t at, const TSegment& first) {
    if (at + segment.pairs.size() > static_cast<size_t>(pairCount)) return false;
    for (size_t i = 0; i < segment.pairs.size(); ++i)
        if (label(segment.pairs[i]) !=
            TVekDataBarExpandedLineDecoder::finderInSequence(pairCount, static_cast<int>(at + i)))
            return false;
    // Rows of one symbol lie close together.
    return distance(segment.begin, first.begin) <= 3 * distance(first.begin, first.end) + 1;
}

bool TVekDataBarExpandedStack::assemble(TAssembly& assembly) const {
    if (assembly.pairs.size() == static_cast<size_t>(assembly.pairCount)) {
        if (assembly.budget-- <= 0) return false;
        assembly.text = TVekDataBarExpandedLineDecoder::content(assembly.pairs);
        return assembly.text.has_value();
    }
    if (!assembly.pairs.back().hasRight) return false;
    // A row read backwards can show the same finders with its characters
    // exchanged (A1 A2 reversed is A1 A2), so every segment that fits is
    // tried, those with more pairs and more lines first.
    std::vector<const TSegment*> candidates;
    for (const TSegment& segment : segments_)
        if (fits(segment, assembly.pairCount, assembly.pairs.size(), *assembly.first)) candidates.push_back(&segment);
    std::stable_sort(candidates.begin(), candidates.end(), [](const TSegment* a, const TSegment* b) {
        return a->pairs.size() != b->pairs.size() ? a->pairs.size() > b->pairs.size() : a->lines > b->lines;
    });
    const size_t size = assembly.pairs.size();
    for (const TSegment* segment : candidates) {
        assembly.pairs.insert(assembly.pairs.end(), segment->pairs.begin(), segment->pairs.end());
        assembly.last = segment;
        if (assemble(assembly)) return true;
        assembly.pairs.resize(size);
        if (assembly.budget <= 0) return false;
    }
    return false;
}

TVekBarcodes TVekDataBarExpandedStack::results(bool inverted) const {
    TVekBarcodes found;
    for (const TSegment& first : segments_) {
        const TPair& head = first.pairs.front();
        if (head.finder != 0 || head.reversed || !head.hasRight) continue;
        const int count = TVekDataBarExpandedLineDecoder::characterCount(head.left.value);
        const int pairCount = (count + 1) / 2;
        if (count == 0 || first.pairs.size() >= static_cast<size_t>(pairCount)) continue;
        TAssembly assembly;
        assembly.first = &first;
        assembly.last = &first;
        assembly.pairCount = pairCount;
        assembly.pairs = first.pairs;
        if (!assemble(assembly)) continue;
        const std::optional<std::string>& text = assembly.text;
        const TSegment* last = assembly.last;
        bool known = false;
        for (const TVekBarcode& barcode : found) known = known || barcode.bytes == *text;
        if (known) continue;
        TVekBarcode barcode;
        barcode.format = TVekBarcodeFormat::dataBarExpanded;
        barcode.bytes = *text;
        barcode.symbologyIdentifier = "]e0";
        barcode.isInverted = inverted;
        barcode.position = {first.begin, first.end, last->end, last->begin};
        if (cross(first.end - first.begin, last->begin - first.begin) < 0)
            barcode.position = {last->begin, last->end, first.end, first.begin};
        barcode.setOrientationFromPosition();
        found.push_back(barcode);
    }
    return found;
}

}  // namespace orvel
