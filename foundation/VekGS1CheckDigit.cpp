#include "foundation/VekGS1CheckDigit.h"

namespace orvel {

char gs1CheckDigit(std::string_view digits) {
    int sum = 0;
    int weight = 3;
    for (size_t i = digits.size(); i-- > 0;) {
        sum += (digits[i] - '0') * weight;
        weight = 4 - weight;
    }
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

}  // namespace orvel
