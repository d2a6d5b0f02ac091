#include "cli/VekPictureScan.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>

#include "foundation/VekPictureLoader.h"
#include "read/VekReadBarcodes.h"

namespace orvel {

namespace {

TVekImage loadNamed(const std::string& file) {
    if (file == "-") return decodePicture(readPictureStream(stdin, file), file);
    return loadPicture(file);
}

TVekLoadedPixels loadNamedPixels(const std::string& file) {
    if (file == "-") return decodePicturePixels(readPictureStream(stdin, file), file);
    return loadPicturePixels(file);
}

std::string pictureSize(int32_t width, int32_t height) {
    return "a " + std::to_string(width) + " × " + std::to_string(height) + " picture";
}

}  // namespace

TVekPictureReport readPictureFile(const std::string& file, const TVekReaderOptions& options,
                                  const TVekPictureSink& sink, TVekDebugSink* debug) {
    const auto start = std::chrono::steady_clock::now();
    TVekPictureReport report;
    report.file = file;
    std::string picture = "the picture";  // loaders name the size in their own memory errors
    try {
        if (sink) {
            const TVekImage image = loadNamed(file);
            picture = pictureSize(image.width, image.height);
            report.barcodes = readBarcodes(image, options, debug);
            sink(image, report.barcodes);
        } else {
            // Without a picture to draw on, the read needs only the rows:
            // no colour copy of the picture is made.
            const TVekLoadedPixels pixels = loadNamedPixels(file);
            picture = pictureSize(pixels.width(), pixels.height());
            report.barcodes = readBarcodes(pixels, options, debug);
        }
    } catch (const std::bad_alloc&) {
        report.error = file + ": not enough memory to read " + picture;
    } catch (const std::exception& failure) {
        // Loader messages name the file already; those of a reader do not.
        const std::string message = failure.what();
        report.error = message.starts_with(file + ": ") ? message : file + ": " + message;
    }
    report.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return report;
}

}  // namespace orvel
