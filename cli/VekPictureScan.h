#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "foundation/VekBarcode.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekImage.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

// What readBarcodes found in one picture file.
struct TVekPictureReport {
    std::string file;
    double ms = 0.0;                   // time to load and read
    std::optional<std::string> error;  // "<file>: <problem>" when the file could not be loaded or read
    TVekBarcodes barcodes;
    // For a message joined from parts in several pictures (--merge-across),
    // the file of each part, in the order of its partPositions; empty lists
    // for every other symbol (or no lists at all).
    std::vector<std::vector<std::string>> partFiles;
    // Parts found in this picture and joined into a message listed with
    // another one (--merge-across): "QRCODE part 2/3 joined into the message
    // listed with a.png".
    std::vector<std::string> partsJoinedElsewhere;
};

// Called with the loaded picture and what was found in it (to draw them).
using TVekPictureSink = std::function<void(const TVekImage&, const TVekBarcodes&)>;

// Loads the file ("-": standard input) by its content and reads it with
// readBarcodes. Never raises: a failure, the sink's included, is the
// report's error. Safe to call from several threads at once (standard input
// excepted, which is read once).
// With a debug sink, the photo front ends tell it what they found.
TVekPictureReport readPictureFile(const std::string& file, const TVekReaderOptions& options,
                                  const TVekPictureSink& sink = {}, TVekDebugSink* debug = nullptr);

}  // namespace orvel
