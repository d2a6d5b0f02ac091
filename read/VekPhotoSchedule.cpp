#include "read/VekPhotoSchedule.h"

#include <memory>
#include <vector>

#include "read/VekPhotoReaders.h"

namespace orvel {

bool TVekPhotoSchedule::asks(const TVekBarcodeFormats& formats) const {
    return options_.formats.empty() || options_.formats.intersects(formats);
}

void TVekPhotoSchedule::read(TVekBinaryCache& picture, TVekResultSet& found) const {
    struct TRunning {
        std::unique_ptr<TVekPhotoReader> reader;
        bool escalate;
    };
    std::vector<TRunning> running;
    for (const TVekPhotoReaderEntry& entry : photoReaders()) {
        if (!asks(entry.formats)) continue;
        running.push_back({entry.make(options_, debug_), false});
    }
    // Each reader's symbols go into the set as soon as its stage is done,
    // so that a complete set stops the read early.
    for (TRunning& one : running) {
        if (found.isComplete()) break;
        one.escalate = one.reader->readFirstPass(picture) || options_.tryHarder;
        if (!one.escalate) found.add(one.reader->take());
    }
    for (TRunning& one : running) {
        if (!one.escalate) continue;
        if (!found.isComplete()) one.reader->readLaterPasses(picture);
        found.add(one.reader->take());
    }
}

}  // namespace orvel
