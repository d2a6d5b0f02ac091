#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvel::bench {

// A grey picture (one byte per pixel, 0 = black) made by code.
struct TGreyPicture {
    std::vector<uint8_t> pixels;
    int width = 0, height = 0;
    int expectedCodes = 0;  // symbols known to be in it (the label sheets)
};

// A picture of the hostile set: its name and how to make it (made only when
// it is measured, so that one large picture is held at a time).
struct THostilePicture {
    std::string name;
    std::function<TGreyPicture()> make;
};

// Pictures that stress a reader's candidate search rather than its decoding:
// dense stripes, checkerboards, noise, tiled finder patterns and bull's eyes,
// sheets of many QR codes (up to 1,000), many small squares, large white
// pictures (one of 10,000 × 10,000 pixels with 100 codes in a corner).
std::vector<THostilePicture> hostilePictures();

}  // namespace orvel::bench
