// The Python module `orvel`: read_barcodes over NumPy arrays, picture files
// and their bytes, with the interpreter lock released while reading.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <limits>
#include <string>

#include "foundation/VekBarcodeFormat.h"
#include "foundation/VekSymbology.h"
#include "foundation/VekException.h"
#include "python/VekPyBarcode.h"
#include "python/VekPyPicture.h"
#include "read/VekMergeStructuredAppend.h"

namespace py = pybind11;

namespace orvel {

namespace {

// An option that read_barcodes cannot use. Raised as orvel.OptionError.
class TVekPyOptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The exception classes, made once when the module loads and kept for the
// life of the interpreter.
PyObject* errorClass = nullptr;
PyObject* imageErrorClass = nullptr;
PyObject* fileErrorClass = nullptr;
PyObject* optionErrorClass = nullptr;

PyObject* addErrorClass(py::module_& module, const char* name, py::tuple bases, const char* doc) {
    const std::string qualified = std::string("orvel.") + name;
    PyObject* type = PyErr_NewExceptionWithDoc(qualified.c_str(), doc, bases.ptr(), nullptr);
    if (type == nullptr) throw py::error_already_set();
    module.add_object(name, py::handle(type));  // the module holds one reference, this file the other
    return type;
}

void defineErrors(py::module_& module) {
    errorClass = addErrorClass(module, "Error", py::make_tuple(py::handle(PyExc_Exception)),
                               "Root of the errors orvel raises.");
    imageErrorClass =
        addErrorClass(module, "ImageError", py::make_tuple(py::handle(errorClass), py::handle(PyExc_ValueError)),
                      "An array or picture data that cannot be read.");
    fileErrorClass =
        addErrorClass(module, "FileError", py::make_tuple(py::handle(errorClass), py::handle(PyExc_OSError)),
                      "A picture file that cannot be opened.");
    optionErrorClass =
        addErrorClass(module, "OptionError", py::make_tuple(py::handle(errorClass), py::handle(PyExc_ValueError)),
                      "An unknown format name or an option out of range.");
    py::register_exception_translator([](std::exception_ptr failure) {
        try {
            if (failure) std::rethrow_exception(failure);
        } catch (const TVekPyImageError& error) {
            PyErr_SetString(imageErrorClass, error.what());
        } catch (const TVekPyFileError& error) {
            PyErr_SetString(fileErrorClass, error.what());
        } catch (const TVekPyOptionError& error) {
            PyErr_SetString(optionErrorClass, error.what());
        } catch (const TVekException& error) {
            PyErr_SetString(errorClass, error.what());
        }
    });
}

TVekBarcodeFormat formatNamed(const std::string& name) {
    const std::optional<TVekBarcodeFormat> format = formatFromName(name);
    if (!format) throw TVekPyOptionError("unknown barcode format '" + name + "'");
    return *format;
}

// None for every format, "qrcode,ean13" or an iterable of names.
// An empty list is refused as orvel-scan refuses it: it would read nothing,
// and reading everything instead would surprise; None asks for every format.
TVekBarcodeFormats formatsOf(py::handle formats) {
    TVekBarcodeFormats chosen;
    if (formats.is_none()) return chosen;
    if (py::isinstance<py::str>(formats)) {
        const std::string list = formats.cast<std::string>();
        const std::optional<TVekBarcodeFormats> parsed = TVekBarcodeFormats::parse(list);
        if (!parsed) throw TVekPyOptionError("unknown barcode format in '" + list + "'");
        chosen = *parsed;
    } else {
        for (py::handle name : formats) chosen.insert(formatNamed(py::str(name)));
    }
    if (chosen.empty()) throw TVekPyOptionError("no barcode format given (None reads every format)");
    return chosen;
}

// max_symbols as an int of the library's range, without pybind11's message
// that would print every argument, the whole array among them.
int32_t maxSymbolsOf(py::handle value) {
    if (!py::isinstance<py::int_>(value) || py::isinstance<py::bool_>(value))
        throw py::type_error("max_symbols must be an int, not " +
                             std::string(py::str(py::type::of(value).attr("__name__"))));
    const py::int_ number = py::reinterpret_borrow<py::int_>(value);
    if (number < py::int_(0) || number > py::int_(std::numeric_limits<int32_t>::max()))
        throw TVekPyOptionError("max_symbols must be 0 (all) to " + std::to_string(std::numeric_limits<int32_t>::max()) +
                                ", not " + py::repr(number).cast<std::string>());
    return number.cast<int32_t>();
}

py::list readBarcodesPy(py::handle image, py::handle formats, bool tryHarder, bool tryInvert, py::handle maxSymbols,
                        bool returnErrors) {
    TVekReaderOptions options;
    options.formats = formatsOf(formats);
    options.tryHarder = tryHarder;
    options.tryInvert = tryInvert;
    options.maxSymbols = maxSymbolsOf(maxSymbols);
    options.returnErrors = returnErrors;
    const TVekPyPicture picture(image);
    TVekBarcodes found;
    {
        py::gil_scoped_release unlocked;
        found = picture.read(options);
    }
    py::list barcodes;
    for (TVekBarcode& barcode : found) barcodes.append(py::cast(std::move(barcode)));
    return barcodes;
}

// The picture as H x W x 3 RGB pixels, as the library sees it.
py::array loadPicturePy(py::handle source) {
    const TVekPyPicture picture(source);
    std::optional<TVekImage> image;
    {
        py::gil_scoped_release unlocked;
        image.emplace(picture.load());
    }
    py::array_t<uint8_t> pixels({py::ssize_t(image->height), py::ssize_t(image->width), py::ssize_t(3)});
    auto out = pixels.mutable_unchecked<3>();
    for (int32_t y = 0; y < image->height; ++y) {
        for (int32_t x = 0; x < image->width; ++x) {
            const uint32_t colour = image->getPixelInt(x, y);
            out(y, x, 0) = static_cast<uint8_t>(colour >> 16);
            out(y, x, 1) = static_cast<uint8_t>(colour >> 8);
            out(y, x, 2) = static_cast<uint8_t>(colour);
        }
    }
    return pixels;
}

py::list mergeStructuredAppendPy(const std::vector<TVekBarcode>& barcodes) {
    py::list merged;
    for (TVekBarcode& barcode : mergeStructuredAppend(barcodes)) merged.append(py::cast(std::move(barcode)));
    return merged;
}

// The elements of a GS1 element string and the error that stopped them.
py::tuple parseGS1Py(py::handle elementString) {
    const std::string text = py::isinstance<py::bytes>(elementString) ? elementString.cast<std::string>()
                                                                        : py::str(elementString).cast<std::string>();
    const TVekGS1Content content = TVekGS1Parser::parse(text);
    return py::make_tuple(gs1ElementsOf(content), content.isValid() ? py::object(py::none()) : py::str(content.error));
}

py::tuple formatNames() {
    py::list names;
    for (const TVekSymbology& row : symbologies()) names.append(row.name);
    return py::tuple(names);
}

}  // namespace

}  // namespace orvel

PYBIND11_MODULE(orvel, module) {
    using namespace orvel;
    module.doc() = "VekBarcode Orvel: reads barcodes and 2D symbols in pictures.";
    defineErrors(module);
    defineBarcodeClass(module);
    module.attr("FORMATS") = formatNames();
    module.def("read_barcodes", &readBarcodesPy, py::arg("image"), py::arg("formats") = py::none(),
               py::arg("try_harder") = false, py::arg("try_invert") = true, py::arg("max_symbols") = 0,
               py::arg("return_errors") = false,
               "Reads the symbols in a picture: a uint8 NumPy array (H x W grey, H x W x 3 RGB, H x W x 4\n"
               "RGBA, any strides), a path, or the bytes of a BMP, JPEG or PNG file. Returns a list of\n"
               "Barcode, decoded symbols first. `formats` is None (all), 'qrcode,ean13' or a list of names.\n"
               "Other Python threads run while the picture is read.");
    module.def("merge_structured_append", &mergeStructuredAppendPy, py::arg("barcodes"),
               "Joins the parts of structured-append sequences (QR Code, Data Matrix, Aztec, Macro\n"
               "PDF417, MaxiCode): parts of one symbology, id and count whose every index is there become\n"
               "one Barcode (bytes joined in order, each part's ECI kept, part_positions the parts'\n"
               "corners); incomplete sequences and other symbols are returned as they were.");
    module.def("parse_gs1", &parseGS1Py, py::arg("element_string"),
               "Splits a GS1 element string (str or bytes, GS after variable-length values) into\n"
               "(elements, error): a list of (ai, value) pairs up to the first error, and the error\n"
               "message or None.");
    module.def("load_picture", &loadPicturePy, py::arg("source"),
               "Loads a picture file (a path or its bytes) as an H x W x 3 uint8 RGB array.");
}
