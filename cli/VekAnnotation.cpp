#include "cli/VekAnnotation.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>

#include "cli/VekBitmapFont.h"
#include "foundation/VekException.h"
#include "foundation/VekPngEncoder.h"

namespace orvel {

namespace {

constexpr uint32_t decodedColour = 0x00B000;
constexpr uint32_t failedColour = 0xE00000;
constexpr uint32_t labelTextColour = 0xFFFFFF;
constexpr size_t maxLabelCharacters = 48;

// Drawing on a raster, clipped to it.
class TCanvas {
public:
    explicit TCanvas(TVekBitmap& bitmap) : bitmap_(bitmap) {}

    void fill(int32_t left, int32_t top, int32_t width, int32_t height, uint32_t colour) {
        const int32_t x0 = std::max(left, 0), x1 = std::min(left + width, bitmap_.width);
        const int32_t y0 = std::max(top, 0), y1 = std::min(top + height, bitmap_.height);
        for (int32_t y = y0; y < y1; ++y) {
            uint8_t* row = bitmap_.row(y);
            for (int32_t x = x0; x < x1; ++x) {
                row[3 * x] = colour & 0xFF;
                row[3 * x + 1] = (colour >> 8) & 0xFF;
                row[3 * x + 2] = (colour >> 16) & 0xFF;
            }
        }
    }

    // A line of square dots `thickness` wide from a to b.
    void line(TVekPointF a, TVekPointF b, int32_t thickness, uint32_t colour) {
        const double length = std::max(std::abs(b.x - a.x), std::abs(b.y - a.y));
        const int steps = static_cast<int>(length);
        for (int k = 0; k <= steps; ++k) {
            const double t = steps == 0 ? 0 : static_cast<double>(k) / steps;
            const double x = a.x + (b.x - a.x) * t, y = a.y + (b.y - a.y) * t;
            fill(static_cast<int32_t>(std::nearbyint(x)) - thickness / 2,
                 static_cast<int32_t>(std::nearbyint(y)) - thickness / 2, thickness, thickness, colour);
        }
    }

    void text(const std::string& ascii, int32_t left, int32_t top, int32_t scale, uint32_t colour) {
        for (size_t i = 0; i < ascii.size(); ++i) {
            const TVekGlyph& glyph = glyphOf(ascii[i]);
            const int32_t x0 = left + static_cast<int32_t>(i) * (glyphWidth + 1) * scale;
            for (int row = 0; row < glyphHeight; ++row)
                for (int column = 0; column < glyphWidth; ++column)
                    if (glyph[row] & (0x10 >> column))
                        fill(x0 + column * scale, top + row * scale, scale, scale, colour);
        }
    }

private:
    TVekBitmap& bitmap_;
};

// The symbol's label in printable ASCII: one '?' per other character.
std::string labelOf(const TVekBarcode& barcode, size_t maxCharacters) {
    const std::string text = barcode.isValid ? barcode.text() : "(not decoded)";
    std::string label = formatName(barcode.format) + ": ";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) == 0x80) continue;  // a UTF-8 continuation byte: its character has its '?'
        label += byte >= 0x20 && byte < 0x7F ? c : '?';
        if (label.size() > maxCharacters) break;
    }
    if (label.size() <= maxCharacters) return label;
    return maxCharacters > 3 ? label.substr(0, maxCharacters - 3) + "..." : label.substr(0, maxCharacters);
}

TVekBitmap bitmapOf(const TVekImage& image) {
    TVekBitmap bitmap(image.width, image.height);
    const std::vector<uint32_t>& pixels = image.pixelData();
    for (size_t i = 0; i < pixels.size(); ++i) {
        bitmap.bgr[3 * i] = pixels[i] & 0xFF;
        bitmap.bgr[3 * i + 1] = (pixels[i] >> 8) & 0xFF;
        bitmap.bgr[3 * i + 2] = (pixels[i] >> 16) & 0xFF;
    }
    return bitmap;
}

// Corners a picture's drawing can use: finite and not absurdly far out.
bool drawable(const std::array<TVekPointF, 4>& corners) {
    return std::all_of(corners.begin(), corners.end(), [](const TVekPointF& p) {
        return std::isfinite(p.x) && std::isfinite(p.y) && std::abs(p.x) < 1e6 && std::abs(p.y) < 1e6;
    });
}

void drawBarcode(TCanvas& canvas, const TVekBarcode& barcode, int32_t width, int32_t height) {
    if (!drawable(barcode.position)) return;
    const uint32_t colour = barcode.isValid ? decodedColour : failedColour;
    const int32_t side = std::min(width, height);
    const int32_t thickness = std::max(2, side / 250);
    const int32_t scale = std::max(1, side / 150);
    const auto& corners = barcode.position;
    for (size_t k = 0; k < corners.size(); ++k) canvas.line(corners[k], corners[(k + 1) % corners.size()], thickness, colour);

    // The label on a box of the outline's colour just above the symbol, or
    // below it when there is no room above.
    const size_t fitting = static_cast<size_t>(std::max(1, (width - scale) / ((glyphWidth + 1) * scale)));
    const std::string label = labelOf(barcode, std::min(maxLabelCharacters, fitting));
    const int32_t boxWidth = static_cast<int32_t>(label.size()) * (glyphWidth + 1) * scale + scale;
    const int32_t boxHeight = (glyphHeight + 2) * scale;
    double minX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const TVekPointF& corner : corners) {
        minX = std::min(minX, corner.x), minY = std::min(minY, corner.y), maxY = std::max(maxY, corner.y);
    }
    const auto clampTo = [](double value, int32_t low, int32_t high) {
        return static_cast<int32_t>(std::clamp(value, static_cast<double>(low), static_cast<double>(std::max(low, high))));
    };
    double top = minY - thickness - boxHeight;
    if (top < 0) top = maxY + thickness;
    const int32_t left = clampTo(minX, 0, width - boxWidth);
    const int32_t boxTop = clampTo(top, 0, height - boxHeight);
    canvas.fill(left, boxTop, boxWidth, boxHeight, colour);
    canvas.text(label, left + scale, boxTop + scale, scale, labelTextColour);
}

}  // namespace

TVekBitmap annotatePicture(const TVekImage& image, const TVekBarcodes& barcodes) {
    TVekBitmap bitmap = bitmapOf(image);
    TCanvas canvas(bitmap);
    for (const TVekBarcode& barcode : barcodes) drawBarcode(canvas, barcode, image.width, image.height);
    return bitmap;
}

TVekBitmap drawDebugPicture(const TVekImage& image, const TVekDebugDrawing& drawing) {
    TVekBitmap bitmap = bitmapOf(image);
    TCanvas canvas(bitmap);
    const int32_t side = std::min(image.width, image.height);
    const int32_t thickness = std::max(1, side / 500);
    for (const TVekDebugDrawing::TLine& line : drawing.lines)
        if (drawable({line.from, line.to, line.to, line.to})) canvas.line(line.from, line.to, thickness, line.colour);
    for (const TVekDebugDrawing::TMark& mark : drawing.points)
        if (drawable({mark.at, mark.at, mark.at, mark.at})) canvas.line(mark.at, mark.at, 3 * thickness + 2, mark.colour);
    const int32_t scale = std::max(1, side / 300);
    int32_t top = scale;
    for (const std::string& note : drawing.notes) {
        if (top + glyphHeight * scale > image.height) break;
        std::string ascii;
        for (char c : note) ascii += c >= 0x20 && c < 0x7F ? c : '?';
        canvas.text(ascii, scale, top, scale, failedColour);
        top += (glyphHeight + 2) * scale;
    }
    return bitmap;
}

void writePngFile(const std::filesystem::path& path, const TVekBitmap& bitmap) {
    const std::vector<uint8_t> bytes = encodePng(TVekPngRaster::fromBitmap(bitmap));
    std::ofstream file(path, std::ios::binary);
    if (!file) throw TVekException(path.string() + ": cannot open the file for writing");
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) throw TVekException(path.string() + ": cannot write the file");
}

}  // namespace orvel
