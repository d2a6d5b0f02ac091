#include "hostile/HostilePictures.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include <unistd.h>

#include "foundation/VekPictureLoader.h"

namespace orvel::bench {
namespace {

constexpr uint8_t dark = 0, light = 255;

TGreyPicture blank(int width, int height) {
    return TGreyPicture{std::vector<uint8_t>(static_cast<size_t>(width) * height, light), width, height, 0};
}

template <typename IsDark>
TGreyPicture painted(int width, int height, IsDark isDark) {
    TGreyPicture picture = blank(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (isDark(x, y)) picture.pixels[static_cast<size_t>(y) * width + x] = dark;
    return picture;
}

void fillSquare(TGreyPicture& picture, int left, int top, int size, uint8_t value) {
    for (int y = std::max(0, top); y < std::min(picture.height, top + size); ++y)
        for (int x = std::max(0, left); x < std::min(picture.width, left + size); ++x)
            picture.pixels[static_cast<size_t>(y) * picture.width + x] = value;
}

// Concentric squares, alternately dark and light from the outside in, each
// `module` pixels wide: a QR finder pattern (rings 7, 5, 3 with a dark core
// of 3) or an Aztec bull's eye (rings of width one module).
void drawRings(TGreyPicture& picture, int left, int top, int module, const std::vector<int>& sides) {
    bool isDark = true;
    for (int side : sides) {
        const int inset = (sides.front() - side) / 2 * module;
        fillSquare(picture, left + inset, top + inset, side * module, isDark ? dark : light);
        isDark = !isDark;
    }
}

TGreyPicture tiled(int width, int height, int pitch, const std::function<void(TGreyPicture&, int, int)>& draw) {
    TGreyPicture picture = blank(width, height);
    for (int top = 0; top + pitch <= height; top += pitch)
        for (int left = 0; left + pitch <= width; left += pitch) draw(picture, left, top);
    return picture;
}

// A sheet of columns × rows QR codes rendered by zint, touching one another
// (their quiet zones only between them), in the top left corner of a white
// picture at least `minSide` pixels wide and high: empty when zint is missing.
TGreyPicture qrSheet(int columns, int rows, int minSide = 0) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("orvel_hostile_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::vector<TVekImage> labels;
    for (int i = 0; i < columns * rows; ++i) {
        const std::filesystem::path file = dir / ("label" + std::to_string(i) + ".bmp");
        const std::string command = "zint -b QRCODE --vers=2 --quietzones --scale=2 -d LABEL-" + std::to_string(i) +
                                    " -o " + file.string() + " >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) {
            std::filesystem::remove_all(dir);
            return {};
        }
        labels.push_back(loadPictureFile(file));
    }
    std::filesystem::remove_all(dir);
    const int labelWidth = labels.front().width, labelHeight = labels.front().height;
    TGreyPicture sheet = blank(std::max(minSide, columns * labelWidth), std::max(minSide, rows * labelHeight));
    for (int i = 0; i < columns * rows; ++i) {
        const int left = (i % columns) * labelWidth, top = (i / columns) * labelHeight;
        for (int y = 0; y < labelHeight; ++y)
            for (int x = 0; x < labelWidth; ++x)
                sheet.pixels[static_cast<size_t>(top + y) * sheet.width + left + x] =
                    (labels[i].getPixelInt(x, y) & 0xFF) < 128 ? dark : light;
    }
    sheet.expectedCodes = columns * rows;
    return sheet;
}

}  // namespace

std::vector<THostilePicture> hostilePictures() {
    return {
        {"stripes-1px-h", [] { return painted(2000, 2000, [](int, int y) { return y % 2 == 0; }); }},
        {"stripes-1px-v", [] { return painted(2000, 2000, [](int x, int) { return x % 2 == 0; }); }},
        {"stripes-1px-diag", [] { return painted(2000, 2000, [](int x, int y) { return (x + y) % 4 < 2; }); }},
        {"checker-1px", [] { return painted(2000, 2000, [](int x, int y) { return (x + y) % 2 == 0; }); }},
        {"checker-4px", [] { return painted(2000, 2000, [](int x, int y) { return (x / 4 + y / 4) % 2 == 0; }); }},
        {"noise-binary",
         [] {
             std::mt19937 random(21);
             return painted(2000, 2000, [&](int, int) { return (random() & 1) != 0; });
         }},
        {"noise-grey",
         [] {
             std::mt19937 random(22);
             TGreyPicture picture = blank(2000, 2000);
             for (uint8_t& pixel : picture.pixels) pixel = static_cast<uint8_t>(random());
             return picture;
         }},
        {"qr-finders",
         [] {
             return tiled(2000, 2000, 40, [](TGreyPicture& p, int left, int top) { drawRings(p, left + 6, top + 6, 4, {7, 5, 3}); });
         }},
        {"qr-finders-dense",
         [] {
             return tiled(2000, 2000, 10, [](TGreyPicture& p, int left, int top) { drawRings(p, left + 2, top + 2, 1, {7, 5, 3}); });
         }},
        {"aztec-eyes",
         [] {
             return tiled(2000, 2000, 56, [](TGreyPicture& p, int left, int top) {
                 drawRings(p, left + 6, top + 6, 4, {11, 9, 7, 5, 3, 1});
             });
         }},
        {"qr-sheet-20", [] { return qrSheet(5, 4); }},
        {"qr-sheet-100", [] { return qrSheet(10, 10); }},
        {"qr-sheet-400", [] { return qrSheet(20, 20); }},
        {"qr-sheet-1000", [] { return qrSheet(40, 25); }},
        // A picture of 10,000 × 10,000 pixels, white but for 100 codes in one
        // corner: what a reader's full-picture work and memory cost.
        {"qr-sheet-100-10k", [] { return qrSheet(10, 10, 10000); }},
        {"squares-3000",
         [] { return tiled(3000, 3000, 8, [](TGreyPicture& p, int left, int top) { fillSquare(p, left, top, 4, dark); }); }},
        {"white-8000", [] { return blank(8000, 8000); }},
    };
}

}  // namespace orvel::bench
