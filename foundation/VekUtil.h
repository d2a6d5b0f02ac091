#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvel {

class TVekLine;

using TVectorInteger = std::vector<int32_t>;
using TVectorDouble = std::vector<double>;
using TVectorString = std::vector<std::string>;
using TMatrixIntegerV = std::vector<TVectorInteger>;
using TIntegerMatrix = std::vector<std::vector<int32_t>>;
using TIntegerMatrix3D = std::vector<TMatrixIntegerV>;
using TVectorLines = std::vector<TVekLine>;

// Round: nearest integer, ties to even (2.5 -> 2, 3.5 -> 4). Many thresholds of
// the readers depend on exactly this rounding, so it is used everywhere instead
// of std::round or ad-hoc casts.
inline double vekRound(double value) { return std::nearbyint(value); }
inline long double vekRound(long double value) { return std::nearbyintl(value); }

// Round to a 32-bit integer. Values beyond the 32-bit range (and NaN) saturate,
// so a wild coordinate becomes a position outside any picture instead of
// undefined behaviour.
int32_t vekRoundInt(double value);

// Trunc: cut towards zero, saturating like vekRoundInt.
int32_t vekTrunc(double value);

// The debug sink. Every diagnostic text of the library goes here; by default it
// is discarded. A program or a test may install a sink to observe the texts.
void debugWrite(const std::string& text);
using TDebugSink = std::function<void(const std::string&)>;
void setDebugSink(TDebugSink sink);

// The millisecond clock of the readers' timing statistics. The library keeps
// no time, so it returns 0; programs that time scans use their own clock.
int64_t currentTimeMillis();

// Decimal text to integer. Anything else raises TVekConvertError with the
// message "'<text>' is not a valid integer value".
int32_t parseInt(const std::string& text);

std::string intToStr(int64_t value);

// Scientific form in a 23-character field: sign or blank, one digit, ".",
// 14 digits, "E", exponent sign, 4 exponent digits (" 1.50000000000000E+0000").
std::string floatToStr(double value);

// Each byte as a blank followed by its decimal value.
std::string bytesToString(const std::vector<uint8_t>& bytes);
std::string bytesToString(const TVectorInteger& bytes);

// destination[destPos + k] := source[sourcePos + k] for k = 0 ... length - 1,
// in increasing k. Positions outside either array are a caller error and
// raise std::out_of_range instead of touching memory.
void arrayCopy(const TVectorInteger& source, int sourcePos, TVectorInteger& destination, int destPos,
               int length);

}  // namespace orvel
