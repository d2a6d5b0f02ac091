#include "datamatrix/VekDatamatrixControl.h"

#include "foundation/VekUtil.h"

namespace orvel {

std::string TVekDatamatrixControl::label() const {
    switch (kind) {
    case TKind::fnc1: return "FNC1";
    case TKind::macro05: return "MACRO5";
    case TKind::macro06: return "MACRO6";
    case TKind::eci: return "ECI: " + intToStr(eci);
    case TKind::structuredAppend:
        return "STRUCTURED_APPEND: " + intToStr(append.position) + "/" + intToStr(append.count) + " " +
               intToStr(append.file1) + "," + intToStr(append.file2);
    case TKind::readerProgramming: return "READER_PROGRAMMING";
    }
    return "";
}

}  // namespace orvel
