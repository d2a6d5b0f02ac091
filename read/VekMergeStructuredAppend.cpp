#include "read/VekMergeStructuredAppend.h"

#include <algorithm>
#include <map>
#include <optional>
#include <tuple>

#include "foundation/VekSymbology.h"
#include "foundation/VekTextDecoder.h"

namespace orvel {

namespace {

using TSequenceKey = std::tuple<TVekBarcodeFormat, std::string, int>;  // symbology, id, count

// The longest sequence any symbology has (Macro PDF417 numbers its segments
// up to 99999); a larger count is a misread.
constexpr int maxSequenceLength = 99999;

bool isPart(const TVekBarcode& barcode) {
    const TVekStructuredAppend& sequence = barcode.structuredAppend;
    return barcode.isValid && sequence.index >= 0 && sequence.count > 0 && sequence.count <= maxSequenceLength &&
           sequence.index < sequence.count;
}

// The parts of one sequence in order, or nothing when one is missing or two
// different symbols claim the same place.
std::optional<std::vector<size_t>> orderedParts(const TVekBarcodes& barcodes, const std::vector<size_t>& members,
                                                int count) {
    std::vector<std::optional<size_t>> slots(static_cast<size_t>(count));
    for (size_t member : members) {
        std::optional<size_t>& slot = slots[static_cast<size_t>(barcodes[member].structuredAppend.index)];
        if (!slot) {
            slot = member;
        } else if (barcodes[*slot].bytes != barcodes[member].bytes) {
            return std::nullopt;
        }
    }
    std::vector<size_t> parts;
    for (const std::optional<size_t>& slot : slots) {
        if (!slot) return std::nullopt;
        parts.push_back(*slot);
    }
    return parts;
}

// The ECI designator of the character set a part without designators is read
// in (the symbology's default), so that joining does not change it.
int defaultEciOf(const TVekBarcode& part) {
    switch (symbologyOf(part.format).charset) {
        case TVekDefaultCharset::cp437: return 2;
        case TVekDefaultCharset::utf8OrSjis:
            if (isValidUtf8(part.bytes)) return 26;
            if (looksLikeShiftJis(part.bytes)) return 20;
            return 3;
        case TVekDefaultCharset::latin1: return 3;
    }
    return 3;
}

TVekBarcode joined(const TVekBarcodes& barcodes, const std::vector<size_t>& parts) {
    TVekBarcode message = barcodes[parts.front()];
    message.bytes.clear();
    message.eciMarks.clear();
    message.structuredAppend.index = -1;
    message.partPositions.clear();
    const bool anyEci = std::any_of(parts.begin(), parts.end(), [&](size_t i) { return barcodes[i].hasECI(); });
    for (size_t part : parts) {
        const TVekBarcode& piece = barcodes[part];
        const size_t start = message.bytes.size();
        // Without designators anywhere the parts are read as one text, so a
        // character split between two symbols stays whole.
        const bool startsWithMark = piece.hasECI() && piece.eciMarks.front().offset == 0;
        if (anyEci && start > 0 && !startsWithMark) message.eciMarks.push_back({start, defaultEciOf(piece)});
        for (const TVekEciMark& mark : piece.eciMarks) message.eciMarks.push_back({start + mark.offset, mark.eci});
        message.bytes += piece.bytes;
        message.partPositions.push_back(piece.position);
    }
    return message;
}

}  // namespace

TVekMergedBarcodes mergeStructuredAppendParts(const TVekBarcodes& barcodes) {
    std::map<TSequenceKey, std::vector<size_t>> sequences;
    for (size_t i = 0; i < barcodes.size(); ++i) {
        const TVekBarcode& barcode = barcodes[i];
        if (!isPart(barcode)) continue;
        sequences[{barcode.format, barcode.structuredAppend.id, barcode.structuredAppend.count}].push_back(i);
    }
    // Each complete sequence: where its message goes, and its parts in order.
    std::map<size_t, std::vector<size_t>> messages;
    std::vector<bool> consumed(barcodes.size(), false);
    for (const auto& [key, members] : sequences) {
        const std::optional<std::vector<size_t>> parts = orderedParts(barcodes, members, std::get<2>(key));
        if (!parts) continue;
        messages[members.front()] = *parts;  // members are in input order
        for (size_t member : members) consumed[member] = true;
    }
    TVekMergedBarcodes merged;
    for (size_t i = 0; i < barcodes.size(); ++i) {
        if (const auto message = messages.find(i); message != messages.end()) {
            merged.barcodes.push_back(joined(barcodes, message->second));
            merged.sources.push_back(message->second);
        } else if (!consumed[i]) {
            merged.barcodes.push_back(barcodes[i]);
            merged.sources.push_back({i});
        }
    }
    return merged;
}

TVekBarcodes mergeStructuredAppend(const TVekBarcodes& barcodes) {
    return mergeStructuredAppendParts(barcodes).barcodes;
}

}  // namespace orvel
