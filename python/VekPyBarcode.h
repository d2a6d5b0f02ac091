#pragma once

#include <pybind11/pybind11.h>

namespace orvel {

// Defines orvel.Barcode: a read-only view of one TVekBarcode with Python
// names, a readable repr, and pickling so that results can travel between
// processes (Dask workers, multiprocessing).
void defineBarcodeClass(pybind11::module_& module);

}  // namespace orvel
