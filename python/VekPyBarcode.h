#pragma once

#include <pybind11/pybind11.h>

#include <string>

#include "foundation/VekBarcode.h"

namespace orvel {

// Defines orvel.Barcode: a read-only view of one TVekBarcode with Python
// names, a readable repr, and pickling so that results can travel between
// processes (Dask workers, multiprocessing).
void defineBarcodeClass(pybind11::module_& module);

// The elements as a list of (ai, value) pairs.
pybind11::list gs1ElementsOf(const TVekGS1Content& content);
// 'plain', 'hri', 'escaped' or 'bytes'; raises ValueError for another name.
TVekTextMode textModeNamed(const std::string& name);

}  // namespace orvel
