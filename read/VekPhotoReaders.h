#pragma once

#include <memory>
#include <span>

#include "foundation/VekBarcodeFormat.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekPhotoReader.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

// One row of the table of photo front ends: its name, the formats it reads
// and how to make the reader of one read.
struct TVekPhotoReaderEntry {
    const char* name;
    TVekBarcodeFormats formats;
    std::unique_ptr<TVekPhotoReader> (*make)(const TVekReaderOptions& options, TVekDebugSink* debug);
};

// Every photo front end, in the order the schedule runs them: cheapest
// first pass first. A new reader is one row in VekPhotoReaders.cpp:
//   {"name", {TVekBarcodeFormat::x, ...}, &make<TVekXxxPhotoReader>}
// for a TVekPhotoReader, or &make<TVekWholePhotoReader<TVekXxxPhotoReader>>
// for a reader with one whole read(TVekBinaryCache&) only.
std::span<const TVekPhotoReaderEntry> photoReaders();

}  // namespace orvel
