#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/VekBarcode.h"
#include "foundation/VekImage.h"
#include "foundation/VekImageView.h"
#include "foundation/VekReaderOptions.h"

namespace orvel {

// A picture the caller gave that cannot be read: a bad array, or file data
// that is no picture. Raised to Python as orvel.ImageError (a ValueError).
class TVekPyImageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A picture file that cannot be opened. Raised as orvel.FileError (an OSError).
class TVekPyFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What read_barcodes was given, made ready while the interpreter lock is
// held, so that reading can run without it: a NumPy array seen in place (or
// packed into a copy when its pixels are not contiguous), the bytes of a
// picture file, or a path.
class TVekPyPicture {
public:
    // Raises TVekPyImageError for an unusable array and pybind11::type_error
    // for an object that is none of the accepted kinds.
    explicit TVekPyPicture(pybind11::handle source);

    // Decodes the file or bytes if needed and reads the symbols. Touches no
    // Python object: call it with the interpreter lock released.
    TVekBarcodes read(const TVekReaderOptions& options) const;

    // Decodes the file or bytes (not an array) into a picture, without
    // touching Python objects either.
    TVekImage load() const;

private:
    void takeArray(pybind11::array array);
    void packArray(int channels);

    pybind11::object keepAlive_;  // the array whose memory the view shows
    std::optional<TVekImageView> view_;
    std::vector<uint8_t> packed_;  // the pixels of a non-contiguous array
    std::optional<std::string> path_;
    std::optional<std::vector<uint8_t>> fileData_;
};

}  // namespace orvel
