// The JavaScript binding of the WebAssembly module. The caller copies RGBA
// pixels into the heap (malloc) and calls readBarcodes with their address;
// every failure comes back as {error} so that the promise of the package's
// readBarcodes rejects with the message instead of the page seeing a trap.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <exception>
#include <new>
#include <string>

#include "VekWasmFormats.h"
#include "VekWasmOptions.h"
#include "VekWasmResults.h"
#include "foundation/VekSymbology.h"
#include "read/VekReadBarcodes.h"

namespace orvel {

namespace {

using emscripten::val;

val failure(const std::string& message) {
    val object = val::object();
    object.set("error", message);
    return object;
}

val readRgba(uintptr_t pixels, int32_t width, int32_t height, val options) {
    try {
        const TVekReaderOptions readerOptions = readerOptionsOf(options);
        const TVekImageView view(reinterpret_cast<const uint8_t*>(pixels), width, height, TVekPixelFormat::rgba);
        if (!view.isValid()) return failure("readBarcodes: the picture has no pixels");
        val results = val::array();
        for (const TVekBarcode& barcode : readBarcodes(view, readerOptions)) results.call<void>("push", resultOf(barcode));
        val object = val::object();
        object.set("results", results);
        return object;
    } catch (const std::bad_alloc&) {
        return failure("readBarcodes: out of memory for a picture of " + std::to_string(width) + " x " +
                       std::to_string(height) + " pixels");
    } catch (const std::exception& error) {
        return failure(error.what());
    }
}

// The formats this build reads, under the detector's names.
val supportedFormats() {
    val names = val::array();
    for (TVekBarcodeFormat format : readableFormats()) names.call<void>("push", detectorFormatName(format));
    return names;
}

// Every format the table knows: {name, detectorName, identifier, linear}.
val knownFormats() {
    val rows = val::array();
    for (const TVekSymbology& row : symbologies()) {
        val object = val::object();
        object.set("name", std::string(row.name));
        object.set("detectorName", detectorFormatName(row.format));
        object.set("identifier", std::string(row.identifier));
        object.set("linear", row.isLinear);
        rows.call<void>("push", object);
    }
    return rows;
}

}  // namespace

}  // namespace orvel

EMSCRIPTEN_BINDINGS(orvel) {
    emscripten::function("readRgba", &orvel::readRgba);
    emscripten::function("supportedFormats", &orvel::supportedFormats);
    emscripten::function("knownFormats", &orvel::knownFormats);
}
