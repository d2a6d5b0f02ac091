#include "VekWasmResults.h"

#include "VekWasmFormats.h"
#include "foundation/VekSymbology.h"

namespace orvel {

namespace {

using emscripten::val;

val pointOf(const TVekPointF& point) {
    val object = val::object();
    object.set("x", point.x);
    object.set("y", point.y);
    return object;
}

val positionOf(const TVekBarcode& barcode) {
    val position = val::object();
    position.set("topLeft", pointOf(barcode.position[0]));
    position.set("topRight", pointOf(barcode.position[1]));
    position.set("bottomRight", pointOf(barcode.position[2]));
    position.set("bottomLeft", pointOf(barcode.position[3]));
    return position;
}

// A copy that stays valid when the heap grows or is reused.
val bytesOf(const std::string& bytes) {
    const val view(emscripten::typed_memory_view(bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data())));
    return val::global("Uint8Array").new_(view);
}

val eciMarksOf(const TVekBarcode& barcode) {
    val marks = val::array();
    for (const TVekEciMark& mark : barcode.eciMarks) {
        val object = val::object();
        object.set("offset", static_cast<double>(mark.offset));
        object.set("eci", mark.eci);
        marks.call<void>("push", object);
    }
    return marks;
}

val structuredAppendOf(const TVekStructuredAppend& append) {
    val object = val::object();
    object.set("index", append.index);
    object.set("count", append.count);
    object.set("id", append.id);
    return object;
}

}  // namespace

val resultOf(const TVekBarcode& barcode) {
    val result = val::object();
    result.set("text", barcode.text());
    result.set("bytes", bytesOf(barcode.bytes));
    result.set("format", std::string(symbologyOf(barcode.format).name));
    result.set("detectorFormat", detectorFormatName(barcode.format));
    result.set("symbologyIdentifier", barcode.symbologyIdentifier);
    result.set("position", positionOf(barcode));
    result.set("orientation", barcode.orientation);
    result.set("isMirrored", barcode.isMirrored);
    result.set("isInverted", barcode.isInverted);
    result.set("ecLevel", barcode.ecLevel);
    result.set("eciMarks", eciMarksOf(barcode));
    result.set("structuredAppend", structuredAppendOf(barcode.structuredAppend));
    result.set("isValid", barcode.isValid);
    result.set("error", barcode.error);
    return result;
}

}  // namespace orvel
