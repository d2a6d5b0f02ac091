#include "python/VekPyBarcode.h"

#include <pybind11/stl.h>

#include "foundation/VekBarcode.h"

namespace py = pybind11;

namespace orvel {

namespace {

py::str utf8(const std::string& text) {
    return py::reinterpret_steal<py::str>(PyUnicode_DecodeUTF8(text.data(), py::ssize_t(text.size()), "replace"));
}

py::tuple positionOf(const TVekBarcode& barcode) {
    py::tuple corners(4);
    for (size_t k = 0; k < 4; ++k) corners[k] = py::make_tuple(barcode.position[k].x, barcode.position[k].y);
    return corners;
}

py::list eciOf(const TVekBarcode& barcode) {
    py::list marks;
    for (const TVekEciMark& mark : barcode.eciMarks) marks.append(py::make_tuple(mark.offset, mark.eci));
    return marks;
}

py::object structuredAppendOf(const TVekBarcode& barcode) {
    const TVekStructuredAppend& sequence = barcode.structuredAppend;
    if (sequence.index < 0) return py::none();
    return py::make_tuple(sequence.index, sequence.count, utf8(sequence.id));
}

py::list partPositionsOf(const TVekBarcode& barcode) {
    py::list parts;
    for (const auto& corners : barcode.partPositions) {
        py::tuple part(4);
        for (size_t k = 0; k < 4; ++k) part[k] = py::make_tuple(corners[k].x, corners[k].y);
        parts.append(part);
    }
    return parts;
}

py::object gs1Of(const TVekBarcode& barcode) {
    if (!barcode.isGS1()) return py::none();
    return gs1ElementsOf(barcode.gs1());
}

py::object gs1ErrorOf(const TVekBarcode& barcode) {
    if (!barcode.isGS1()) return py::none();
    const TVekGS1Content content = barcode.gs1();
    if (content.isValid()) return py::none();
    return utf8(content.error);
}

std::string reprOf(const TVekBarcode& barcode) {
    std::string text = "<orvel.Barcode " + formatName(barcode.format);
    if (barcode.isValid) {
        text += " " + std::string(py::repr(utf8(barcode.text())));
    } else {
        text += " not decoded: " + barcode.error;
    }
    const TVekPointF centre = barcode.centre();
    char at[64];
    std::snprintf(at, sizeof at, " at (%.1f, %.1f)>", centre.x, centre.y);
    return text + at;
}

// Every field, in an order that stays the same between versions of this
// module that can read each other's pickles.
py::tuple stateOf(const TVekBarcode& barcode) {
    py::list corners;
    for (const TVekPointF& corner : barcode.position) corners.append(py::make_tuple(corner.x, corner.y));
    const TVekStructuredAppend& sequence = barcode.structuredAppend;
    return py::make_tuple(static_cast<int>(barcode.format), py::bytes(barcode.bytes), eciOf(barcode),
                          barcode.symbologyIdentifier, corners, barcode.orientation, barcode.isMirrored,
                          barcode.isInverted, barcode.ecLevel,
                          py::make_tuple(sequence.index, sequence.count, py::bytes(sequence.id)), barcode.isValid,
                          barcode.error, partPositionsOf(barcode));
}

TVekBarcode barcodeOfState(const py::tuple& state) {
    // Pickles of modules without joined messages have 12 fields.
    if (state.size() != 12 && state.size() != 13) throw std::runtime_error("not a pickled orvel.Barcode");
    TVekBarcode barcode;
    const int format = state[0].cast<int>();
    if (format < 0 || format >= barcodeFormatCount) throw std::runtime_error("not a pickled orvel.Barcode");
    barcode.format = static_cast<TVekBarcodeFormat>(format);
    barcode.bytes = state[1].cast<std::string>();
    for (const auto& mark : state[2].cast<py::list>()) {
        const auto pair = mark.cast<py::tuple>();
        barcode.eciMarks.push_back({pair[0].cast<size_t>(), pair[1].cast<int>()});
    }
    barcode.symbologyIdentifier = state[3].cast<std::string>();
    const auto corners = state[4].cast<py::list>();
    for (size_t k = 0; k < 4 && k < corners.size(); ++k) {
        const auto corner = corners[k].cast<py::tuple>();
        barcode.position[k] = {corner[0].cast<double>(), corner[1].cast<double>()};
    }
    barcode.orientation = state[5].cast<double>();
    barcode.isMirrored = state[6].cast<bool>();
    barcode.isInverted = state[7].cast<bool>();
    barcode.ecLevel = state[8].cast<std::string>();
    const auto sequence = state[9].cast<py::tuple>();
    barcode.structuredAppend = {sequence[0].cast<int>(), sequence[1].cast<int>(), sequence[2].cast<std::string>()};
    barcode.isValid = state[10].cast<bool>();
    barcode.error = state[11].cast<std::string>();
    if (state.size() > 12) {
        for (const auto& part : state[12].cast<py::list>()) {
            const auto corners = part.cast<py::tuple>();
            std::array<TVekPointF, 4> position{};
            for (size_t k = 0; k < 4 && k < corners.size(); ++k) {
                const auto corner = corners[k].cast<py::tuple>();
                position[k] = {corner[0].cast<double>(), corner[1].cast<double>()};
            }
            barcode.partPositions.push_back(position);
        }
    }
    return barcode;
}

}  // namespace

py::list gs1ElementsOf(const TVekGS1Content& content) {
    py::list elements;
    for (const TVekGS1Element& element : content.elements) elements.append(py::make_tuple(element.ai, utf8(element.value)));
    return elements;
}

TVekTextMode textModeNamed(const std::string& name) {
    if (name == "plain") return TVekTextMode::plain;
    if (name == "hri") return TVekTextMode::hri;
    if (name == "escaped") return TVekTextMode::escaped;
    if (name == "bytes") return TVekTextMode::bytes;
    throw py::value_error("unknown text mode '" + name + "' (use plain, hri, escaped or bytes)");
}

void defineBarcodeClass(py::module_& module) {
    py::class_<TVekBarcode>(module, "Barcode", "One symbol found in a picture.")
        .def_property_readonly("format", [](const TVekBarcode& b) { return formatName(b.format); },
                               "The symbology: 'QRCODE', 'EAN13', 'DATAMATRIX', ...")
        .def_property_readonly("bytes", [](const TVekBarcode& b) { return py::bytes(b.bytes); },
                               "The decoded content as bytes, ECI designators left out.")
        .def_property_readonly("text", [](const TVekBarcode& b) { return utf8(b.text()); },
                               "The content as text, in the character sets its ECI designators name.")
        .def_property_readonly("identifier", [](const TVekBarcode& b) { return b.symbologyIdentifier; },
                               "The AIM symbology identifier, e.g. ']Q1'.")
        .def_property_readonly("position", &positionOf,
                               "The four corners ((x, y), ...), clockwise from the symbol's own top-left.")
        .def_property_readonly("orientation", [](const TVekBarcode& b) { return b.orientation; },
                               "The direction of the symbol's top edge in degrees, clockwise from the x axis.")
        .def_property_readonly("is_mirrored", [](const TVekBarcode& b) { return b.isMirrored; })
        .def_property_readonly("is_inverted", [](const TVekBarcode& b) { return b.isInverted; },
                               "Light modules on a dark ground.")
        .def_property_readonly("ec_level", [](const TVekBarcode& b) { return b.ecLevel; })
        .def_property_readonly("eci", &eciOf, "The ECI designators as (byte offset, ECI number) pairs.")
        .def_property_readonly("structured_append", &structuredAppendOf,
                               "(index, count, id) of a symbol in a sequence, else None.")
        .def_property_readonly("part_positions", &partPositionsOf,
                               "For a message joined by merge_structured_append: each part's four corners,\n"
                               "in sequence order; else an empty list.")
        .def_property_readonly("is_gs1", [](const TVekBarcode& b) { return b.isGS1(); },
                               "True when the symbology identifier marks GS1 content.")
        .def_property_readonly("gs1", &gs1Of,
                               "GS1 content as a list of (ai, value) pairs up to the first error; None\n"
                               "for content that is not GS1.")
        .def_property_readonly("gs1_error", &gs1ErrorOf, "Why GS1 content is not valid, else None.")
        .def_property_readonly("hri", [](const TVekBarcode& b) { return utf8(b.text(TVekTextMode::hri)); },
                               "GS1 content as '(01)09501101530003(10)AB-123', as far as its AIs are\n"
                               "known; other content with control characters as <GS>, <RS> ...")
        .def("text_as", [](const TVekBarcode& b, const std::string& mode) { return utf8(b.text(textModeNamed(mode))); },
             py::arg("mode"),
             "The content in a text mode: 'plain' (text), 'hri', 'escaped' (control characters as\n"
             "<GS>, <EOT> ...) or 'bytes' (hexadecimal).")
        .def_property_readonly("is_valid", [](const TVekBarcode& b) { return b.isValid; },
                               "False for a symbol found but not decoded (return_errors=True).")
        .def_property_readonly("error", [](const TVekBarcode& b) { return utf8(b.error); })
        .def("__repr__", &reprOf)
        .def(py::pickle(&stateOf, [](const py::tuple& state) { return barcodeOfState(state); }));
}

}  // namespace orvel
