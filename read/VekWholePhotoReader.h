#pragma once

#include <utility>

#include "foundation/VekDebugSink.h"
#include "foundation/VekPhotoReader.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

// A photo front end with one whole read only (`TVekBarcodes
// read(TVekBinaryCache&)`, constructed from the options and the debug sink)
// as a reader of the pass schedule: the whole read is its first pass, and it
// asks for no later one. That runs its own escalation on every picture, so a
// reader that escalates should split its read into the two stages instead.
template <typename TReader>
class TVekWholePhotoReader : public TVekPhotoReader {
public:
    TVekWholePhotoReader(const TVekReaderOptions& options, TVekDebugSink* debug) : reader_(options, debug) {}

    bool readFirstPass(TVekBinaryCache& picture) override {
        found_ = reader_.read(picture);
        return false;
    }
    void readLaterPasses(TVekBinaryCache&) override {}
    TVekBarcodes take() override { return std::move(found_); }

private:
    TReader reader_;
    TVekBarcodes found_;
};

}  // namespace orvel
