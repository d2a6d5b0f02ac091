#pragma once

#include <string>
#include <vector>

#include "oned/VekBarRow.h"
#include "oned/VekLinearRead.h"

namespace orvel {

// GS1 DataBar Limited on one scan line: a left and a right character of 26
// modules in 14 elements around a check character of 18 modules, whose
// pattern is one of 89 and stands for the checksum (mod 89) of the data
// characters' elements. One line is not enough: a second must agree.
class TVekDataBarLimitedLineDecoder {
public:
    void decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads) const;

    // The element string "01" + 14 digits, empty when the checksum or value fails.
    static std::string content(const std::vector<int>& left, const std::vector<int>& right, int checkPattern);
};

}  // namespace orvel
