#include "cli/VekReportMerger.h"

#include <algorithm>
#include <utility>

#include "read/VekMergeStructuredAppend.h"

namespace orvel {

void mergeWithinPicture(TVekPictureReport& report) {
    report.barcodes = mergeStructuredAppend(report.barcodes);
    report.partFiles.clear();
}

void mergeAcrossPictures(std::vector<TVekPictureReport>& reports) {
    // Every symbol of the run in one list, with the report it came from.
    TVekBarcodes all;
    std::vector<size_t> reportOf;
    for (size_t r = 0; r < reports.size(); ++r) {
        for (TVekBarcode& barcode : reports[r].barcodes) {
            all.push_back(std::move(barcode));
            reportOf.push_back(r);
        }
        reports[r].barcodes.clear();
        reports[r].partFiles.clear();
        reports[r].partsJoinedElsewhere.clear();
    }
    TVekMergedBarcodes merged = mergeStructuredAppendParts(all);
    for (size_t i = 0; i < merged.barcodes.size(); ++i) {
        const std::vector<size_t>& sources = merged.sources[i];
        size_t home = reportOf[sources.front()];
        for (size_t source : sources) home = std::min(home, reportOf[source]);
        std::vector<std::string> files;
        if (sources.size() > 1 || !merged.barcodes[i].partPositions.empty())
            for (size_t source : sources) files.push_back(reports[reportOf[source]].file);
        for (size_t source : sources) {
            if (reportOf[source] == home) continue;
            const TVekBarcode& part = all[source];
            reports[reportOf[source]].partsJoinedElsewhere.push_back(
                formatName(part.format) + " part " + std::to_string(part.structuredAppend.index + 1) + "/" +
                std::to_string(part.structuredAppend.count) + " joined into the message listed with " +
                reports[home].file);
        }
        TVekPictureReport& report = reports[home];
        report.partFiles.resize(report.barcodes.size());
        report.partFiles.push_back(std::move(files));
        report.barcodes.push_back(std::move(merged.barcodes[i]));
    }
}

}  // namespace orvel
