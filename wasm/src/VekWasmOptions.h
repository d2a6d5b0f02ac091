#pragma once

#include <emscripten/val.h>

#include "foundation/VekReaderOptions.h"

namespace orvel {

// The reader options of a JavaScript object: the fields of TVekReaderOptions
// under their C++ names (formats as an array of names or one string of names
// separated by commas or spaces; binarizer "local" or "global"; eanAddOn
// "ignore", "read" or "require"). Missing fields keep their defaults; an
// unknown field, a field of the wrong type or an unknown name raises
// TVekException with a message that names it.
TVekReaderOptions readerOptionsOf(const emscripten::val& options);

}  // namespace orvel
