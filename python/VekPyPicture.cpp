#include "python/VekPyPicture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

#include "foundation/VekException.h"
#include "foundation/VekJpegDecoder.h"
#include "foundation/VekPictureLoader.h"
#include "read/VekReadBarcodes.h"

namespace py = pybind11;

namespace orvel {

namespace {

std::string shapeText(const py::array& array) {
    std::ostringstream text;
    text << '(';
    for (py::ssize_t axis = 0; axis < array.ndim(); ++axis) text << (axis > 0 ? ", " : "") << array.shape(axis);
    text << (array.ndim() == 1 ? ",)" : ")");
    return text.str();
}

TVekPixelFormat formatOfChannels(int channels) {
    switch (channels) {
        case 3: return TVekPixelFormat::rgb;
        case 4: return TVekPixelFormat::rgba;
        default: return TVekPixelFormat::grey;
    }
}

// Channels per pixel of an accepted shape: 1, 3 or 4; 0 for any other shape.
int channelsOfShape(const py::array& array) {
    if (array.ndim() == 2) return 1;
    if (array.ndim() != 3) return 0;
    const py::ssize_t channels = array.shape(2);
    return channels == 1 || channels == 3 || channels == 4 ? static_cast<int>(channels) : 0;
}

// An ndarray needs NumPy loaded already: asking otherwise would import it,
// and paths and bytes are read without it.
bool isNumpyArray(py::handle source) {
    return py::module_::import("sys").attr("modules").contains("numpy") && py::isinstance<py::array>(source);
}

bool isUint8(const py::array& array) { return array.dtype().kind() == 'u' && array.itemsize() == 1; }

bool isFileData(py::handle source) {
    return py::isinstance<py::bytes>(source) || py::isinstance<py::bytearray>(source) ||
           py::isinstance<py::memoryview>(source);
}

bool isPath(py::handle source) {
    return py::isinstance<py::str>(source) || py::hasattr(source, "__fspath__");
}

bool isArrayLike(py::handle source) {
    return py::hasattr(source, "__array_interface__") || py::hasattr(source, "__array_struct__") ||
           py::hasattr(source, "__array__");
}

// A file that cannot be opened is an OSError for Python; one that opens but
// does not decode is an ImageError, both with the loader's message.
// Telling the two apart never opens the file: a named pipe would block.
TVekImage loadFile(const std::string& path) {
    try {
        return loadPicture(path);
    } catch (const TVekException& error) {
        struct stat status {};
        const bool readableFile =
            ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(path.c_str(), R_OK) == 0;
        if (!readableFile) throw TVekPyFileError(error.what());
        throw TVekPyImageError(error.what());
    }
}

TVekImage decodeData(std::vector<uint8_t> data) {
    try {
        return decodePicture(std::move(data), "<bytes>");
    } catch (const TVekException& error) {
        throw TVekPyImageError(error.what());
    }
}

}  // namespace

TVekPyPicture::TVekPyPicture(py::handle source) {
    if (isNumpyArray(source)) {
        takeArray(py::reinterpret_borrow<py::array>(source));
    } else if (isFileData(source)) {
        const std::string data = py::bytes(py::module_::import("builtins").attr("bytes")(source));
        fileData_.emplace(data.begin(), data.end());
    } else if (isPath(source)) {
        const std::string path = py::bytes(py::module_::import("os").attr("fsencode")(source));
        // As Python's own open(): the part before a NUL would name another file.
        if (path.find('\0') != std::string::npos) throw py::value_error("embedded null byte");
        path_ = path;
    } else if (isArrayLike(source)) {
        takeArray(py::module_::import("numpy").attr("asarray")(source));
    } else {
        throw py::type_error("orvel reads a NumPy array, a path or the bytes of a picture file, not " +
                             std::string(py::str(py::type::of(source).attr("__name__"))));
    }
}

void TVekPyPicture::takeArray(py::array array) {
    if (!isUint8(array))
        throw TVekPyImageError("the array must hold uint8 pixels, not " + std::string(py::str(array.dtype())));
    const int channels = channelsOfShape(array);
    if (channels == 0)
        throw TVekPyImageError("the array must be H x W (grey), H x W x 3 (RGB) or H x W x 4 (RGBA), not of shape " +
                               shapeText(array));
    const py::ssize_t height = array.shape(0), width = array.shape(1);
    if (height == 0 || width == 0) throw TVekPyImageError("the array is empty (shape " + shapeText(array) + ")");
    if (height > kMaxPicturePixels || width > kMaxPicturePixels || height * width > kMaxPicturePixels)
        throw TVekPyImageError("the array of " + std::to_string(width) + " x " + std::to_string(height) +
                               " pixels is too large");
    keepAlive_ = array;
    // Rows may lie anywhere (padded, cropped, flipped); the pixels of one row
    // must be packed to be seen in place.
    const bool packedPixels = array.strides(1) == channels && (channels == 1 || array.strides(2) == 1);
    const py::ssize_t rowBytes = width * channels;
    const py::ssize_t rowStride = array.strides(0);
    const bool rowsApart = rowStride >= rowBytes || rowStride <= -rowBytes;
    view_.emplace(static_cast<const uint8_t*>(array.data()), static_cast<int32_t>(width),
                  static_cast<int32_t>(height), formatOfChannels(channels), rowStride);
    if (!packedPixels || !rowsApart) packArray(channels);
}

void TVekPyPicture::packArray(int channels) {
    const auto array = py::reinterpret_borrow<py::array>(keepAlive_);
    const py::ssize_t height = array.shape(0), width = array.shape(1);
    const py::ssize_t channelStride = array.ndim() == 3 ? array.strides(2) : 0;
    const auto* origin = static_cast<const uint8_t*>(array.data());
    packed_.resize(static_cast<size_t>(height * width * channels));
    uint8_t* target = packed_.data();
    for (py::ssize_t y = 0; y < height; ++y) {
        for (py::ssize_t x = 0; x < width; ++x) {
            const uint8_t* pixel = origin + y * array.strides(0) + x * array.strides(1);
            for (int c = 0; c < channels; ++c) *target++ = pixel[c * channelStride];
        }
    }
    view_.emplace(packed_.data(), static_cast<int32_t>(width), static_cast<int32_t>(height),
                  formatOfChannels(channels));
}

TVekImage TVekPyPicture::load() const {
    if (view_) throw TVekPyImageError("an array is a picture already");
    if (path_) return loadFile(*path_);
    return decodeData(*fileData_);
}

TVekBarcodes TVekPyPicture::read(const TVekReaderOptions& options) const {
    try {
        if (view_) return readBarcodes(*view_, options);
        return readBarcodes(load(), options);
    } catch (const TVekException& error) {
        throw TVekPyImageError(error.what());
    }
}

}  // namespace orvel
