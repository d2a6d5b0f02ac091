#pragma once

#include <memory>
#include <string>
#include <vector>

#include "foundation/VekImageObject.h"
#include "foundation/VekLine.h"

namespace orvel {

// The dark regions of a picture together with their axis lines, as the
// vectorizer hands them to the readers. The container owns both lists; a
// consumer that takes regions out of `objects` owns what it took.
class TVekVectorizedImage {
public:
    TVekVectorizedImage() = default;

    void addLine(TVekLine line) { lines.push_back(std::move(line)); }
    // Appends the region and a copy of its axis line. A region without an axis
    // line is refused (returns false): every region here must carry one.
    bool addObject(std::unique_ptr<TVekImageObject> region);

    std::vector<TVekLine>& getLines() { return lines; }
    const std::vector<TVekLine>& getLines() const { return lines; }
    std::vector<std::unique_ptr<TVekImageObject>>& getObjects() { return objects; }
    const std::vector<std::unique_ptr<TVekImageObject>>& getObjects() const { return objects; }

    // Kept for callers that ask for a picture of the regions: writes nothing.
    void exportToPNG(const std::string& /*fileName*/) const {}

    std::vector<TVekLine> lines;
    std::vector<std::unique_ptr<TVekImageObject>> objects;
};

}  // namespace orvel
