#include "foundation/VekROrvelConfiguration.h"

namespace orvel {

TVekROrvelConfiguration orvelConfiguration;

}  // namespace orvel
