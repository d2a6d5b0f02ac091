#include "VekWasmOptions.h"

#include <cstdint>
#include <string>
#include <vector>

#include "VekWasmFormats.h"
#include "foundation/VekException.h"

namespace orvel {

namespace {

using emscripten::val;

void fail(const std::string& message) { throw TVekException("readBarcodes options: " + message); }

bool boolField(const val& value, const std::string& key) {
    if (!value.isTrue() && !value.isFalse()) fail(key + " must be true or false");
    return value.as<bool>();
}

int32_t intField(const val& value, const std::string& key, int32_t lowest, int32_t highest) {
    if (!value.isNumber()) fail(key + " must be a number");
    const double number = value.as<double>();
    if (!(number >= lowest && number <= highest) || number != static_cast<int32_t>(number))
        fail(key + " must be a whole number from " + std::to_string(lowest) + " to " + std::to_string(highest));
    return static_cast<int32_t>(number);
}

std::string stringField(const val& value, const std::string& key) {
    if (!value.isString()) fail(key + " must be a string");
    return value.as<std::string>();
}

void addFormatNames(const std::string& list, TVekBarcodeFormats& formats) {
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find_first_of(", ", start);
        if (end == std::string::npos) end = list.size();
        const std::string name = list.substr(start, end - start);
        if (!name.empty()) {
            const auto format = formatOfAnyName(name);
            if (!format) fail("unknown format \"" + name + "\"");
            formats.insert(*format);
        }
        start = end + 1;
    }
}

TVekBarcodeFormats formatsField(const val& value) {
    TVekBarcodeFormats formats;
    if (value.isString()) {
        addFormatNames(value.as<std::string>(), formats);
    } else if (val::global("Array").call<bool>("isArray", value)) {
        const int count = value["length"].as<int>();
        for (int i = 0; i < count; ++i) addFormatNames(stringField(value[i], "formats[" + std::to_string(i) + "]"), formats);
    } else {
        fail("formats must be an array of names or a string");
    }
    return formats;
}

TVekBinarizerKind binarizerField(const val& value) {
    const std::string name = stringField(value, "binarizer");
    if (name == "local") return TVekBinarizerKind::local;
    if (name == "global") return TVekBinarizerKind::global;
    fail("binarizer must be \"local\" or \"global\"");
    return TVekBinarizerKind::local;
}

TVekEanAddOn eanAddOnField(const val& value) {
    const std::string name = stringField(value, "eanAddOn");
    if (name == "ignore") return TVekEanAddOn::ignore;
    if (name == "read") return TVekEanAddOn::read;
    if (name == "require") return TVekEanAddOn::require;
    fail("eanAddOn must be \"ignore\", \"read\" or \"require\"");
    return TVekEanAddOn::ignore;
}

void setField(TVekReaderOptions& options, const std::string& key, const val& value) {
    if (key == "formats") options.formats = formatsField(value);
    else if (key == "tryHarder") options.tryHarder = boolField(value, key);
    else if (key == "tryRotate") options.tryRotate = boolField(value, key);
    else if (key == "tryInvert") options.tryInvert = boolField(value, key);
    else if (key == "tryDownscale") options.tryDownscale = boolField(value, key);
    else if (key == "isPure") options.isPure = boolField(value, key);
    else if (key == "maxSymbols") options.maxSymbols = intField(value, key, 0, INT32_MAX);
    else if (key == "returnErrors") options.returnErrors = boolField(value, key);
    else if (key == "binarizer") options.binarizer = binarizerField(value);
    else if (key == "classic") options.classic = boolField(value, key);
    else if (key == "minInterleavedDigits") options.minInterleavedDigits = intField(value, key, 0, INT32_MAX);
    else if (key == "eanAddOn") options.eanAddOn = eanAddOnField(value);
    else fail("unknown option \"" + key + "\"");
}

}  // namespace

TVekReaderOptions readerOptionsOf(const val& options) {
    TVekReaderOptions result;
    if (options.isUndefined() || options.isNull()) return result;
    if (options.typeOf().as<std::string>() != "object") fail("must be an object");
    const val keys = val::global("Object").call<val>("keys", options);
    const int count = keys["length"].as<int>();
    for (int i = 0; i < count; ++i) {
        const std::string key = keys[i].as<std::string>();
        const val value = options[key];
        if (value.isUndefined()) continue;
        setField(result, key, value);
    }
    return result;
}

}  // namespace orvel
