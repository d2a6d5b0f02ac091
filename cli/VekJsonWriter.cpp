#include "cli/VekJsonWriter.h"

#include <cmath>
#include <cstdio>

#include "cli/VekFamilyFormats.h"
#include "foundation/VekSymbology.h"
#include "foundation/VekTextDecoder.h"
#include "foundation/VekTextEscapes.h"

namespace orvel {

namespace {

void appendCodePoint(std::string& out, uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else {  // up to U+07FF is all this file needs to write itself
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::string decimal(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    return buffer;
}

std::string resultToJson(const TVekScanResult& result) {
    return "{\"family\": " + jsonString(familyName(result.family)) +
           ", \"symbology\": " + jsonString(result.symbology) +
           ", \"text\": " + jsonString(latin1ToUtf8(result.text)) +
           ", \"success\": " + (result.success ? "true" : "false") +
           ", \"x\": " + std::to_string(result.x) + ", \"y\": " + std::to_string(result.y) + "}";
}

// A coordinate or angle: one decimal, null when it is not a number.
std::string number(double value) {
    if (!std::isfinite(value)) return "null";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.1f", value);
    return buffer;
}

int32_t pixel(double value) {
    return std::isfinite(value) && std::abs(value) < 2e9 ? static_cast<int32_t>(std::nearbyint(value)) : 0;
}

std::string cornersToJson(const std::array<TVekPointF, 4>& corners) {
    std::string position = "[";
    for (size_t k = 0; k < corners.size(); ++k) {
        if (k > 0) position += ", ";
        position += "[" + number(corners[k].x) + ", " + number(corners[k].y) + "]";
    }
    return position + "]";
}

// The fields that only some results have, each with its leading ", ".
std::string optionalFields(const TVekBarcode& barcode, const std::string& file,
                           const std::vector<std::string>& partFiles) {
    std::string json;
    const TVekStructuredAppend& sequence = barcode.structuredAppend;
    if (sequence.index >= 0) {
        json += ", \"structuredAppend\": {\"index\": " + std::to_string(sequence.index) +
                ", \"count\": " + std::to_string(sequence.count) + ", \"id\": " + jsonString(toUtf8(sequence.id)) + "}";
    }
    if (!barcode.partPositions.empty()) {
        json += ", \"parts\": [";
        for (size_t k = 0; k < barcode.partPositions.size(); ++k) {
            if (k > 0) json += ", ";
            const std::string& partFile = k < partFiles.size() ? partFiles[k] : file;
            json += "{\"file\": " + jsonString(toUtf8(partFile)) +
                    ", \"position\": " + cornersToJson(barcode.partPositions[k]) + "}";
        }
        json += "]";
    }
    if (barcode.isValid && barcode.isGS1()) {
        const TVekGS1Content content = barcode.gs1();
        json += ", \"gs1\": [";
        for (size_t k = 0; k < content.elements.size(); ++k) {
            if (k > 0) json += ", ";
            json += "{\"ai\": " + jsonString(content.elements[k].ai) +
                    ", \"value\": " + jsonString(toUtf8(content.elements[k].value)) + "}";
        }
        json += "]";
        if (!content.isValid()) json += ", \"gs1Error\": " + jsonString(toUtf8(content.error));
    }
    return json;
}

std::string barcodeToJson(const TVekBarcode& barcode, TVekTextMode mode, const std::string& file,
                          const std::vector<std::string>& partFiles) {
    const std::string position = cornersToJson(barcode.position);
    return "{\"family\": " + jsonString(symbologyOf(barcode.format).familyName) +
           ", \"symbology\": " + jsonString(formatName(barcode.format)) +
           ", \"text\": " + jsonString(toUtf8(barcode.text(mode))) +
           ", \"success\": " + (barcode.isValid ? "true" : "false") +
           ", \"x\": " + std::to_string(pixel(barcode.position[0].x)) +
           ", \"y\": " + std::to_string(pixel(barcode.position[0].y)) +
           ", \"bytes\": " + jsonString(hexOf(barcode.bytes)) +
           ", \"identifier\": " + jsonString(toUtf8(barcode.symbologyIdentifier)) +
           ", \"position\": " + position + ", \"orientation\": " + number(barcode.orientation) +
           ", \"eci\": " + (barcode.hasECI() ? "true" : "false") +
           ", \"ecLevel\": " + jsonString(toUtf8(barcode.ecLevel)) +
           ", \"error\": " + (barcode.isValid ? std::string("null") : jsonString(toUtf8(barcode.error))) +
           optionalFields(barcode, file, partFiles) + "}";
}

// The fields every report starts with, up to the opening of "results".
std::string reportHead(const std::string& file, double ms, const std::optional<std::string>& error) {
    return "{\"file\": " + jsonString(toUtf8(file)) + ", \"ms\": " + decimal(ms) +
           ", \"error\": " + (error ? jsonString(toUtf8(*error)) : std::string("null")) + ", \"results\": [";
}

}  // namespace

std::string hexOf(const std::string& bytes) { return hexadecimal(bytes); }

std::string pictureReportToJson(const TVekPictureReport& report, TVekTextMode mode) {
    static const std::vector<std::string> noFiles;
    std::string json = reportHead(report.file, report.ms, report.error);
    for (size_t i = 0; i < report.barcodes.size(); ++i) {
        if (i > 0) json += ", ";
        const std::vector<std::string>& partFiles = i < report.partFiles.size() ? report.partFiles[i] : noFiles;
        json += barcodeToJson(report.barcodes[i], mode, report.file, partFiles);
    }
    return json + "]}";
}

std::string latin1ToUtf8(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) appendCodePoint(out, static_cast<unsigned char>(c));
    return out;
}

std::string toUtf8(const std::string& text) { return isValidUtf8(text) ? text : latin1ToUtf8(text); }

std::string jsonString(const std::string& utf8) {
    std::string out = "\"";
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        switch (c) {
        case '"': out += "\\\""; continue;
        case '\\': out += "\\\\"; continue;
        case '\b': out += "\\b"; continue;
        case '\f': out += "\\f"; continue;
        case '\n': out += "\\n"; continue;
        case '\r': out += "\\r"; continue;
        case '\t': out += "\\t"; continue;
        default: break;
        }
        uint32_t control = 0x100;  // none
        if (c < 0x20 || c == 0x7F) {
            control = c;
        } else if (c == 0xC2 && i + 1 < utf8.size()) {
            // U+0080-U+009F, the second range of control characters
            const auto next = static_cast<unsigned char>(utf8[i + 1]);
            if (next >= 0x80 && next <= 0x9F) {
                control = next;
                i += 1;
            }
        }
        if (control < 0x100) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(control));
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string reportToJson(const TVekFileReport& report) {
    std::string json = reportHead(report.file, report.ms, report.error);
    for (size_t i = 0; i < report.results.size(); ++i) {
        if (i > 0) json += ", ";
        json += resultToJson(report.results[i]);
    }
    return json + "]}";
}

}  // namespace orvel
