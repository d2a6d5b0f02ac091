#pragma once

#include <cstdint>

namespace orvel {

// The process-wide settings. Components copy the fields they need when they
// are constructed and never read the object again, so a change affects only
// components created afterwards.
struct TVekROrvelConfiguration {
    bool debug = false;
    int32_t maxBarLength = 1500;   // 1D finder: longest bar region, pixels
    int32_t minBarLength = 15;     // 1D finder: shortest bar region, pixels
    int32_t maxObjectSize = 90000; // vectorizer: regions must have fewer pixels
    int32_t minObjectSize = 30;    // vectorizer: regions must have more pixels
    int32_t maxAngleDifference = 5;  // 1D finder: degrees between neighbouring bars
    bool removeCloseBars = true;   // 1D finder: of two too-close bars, drop one
};

extern TVekROrvelConfiguration orvelConfiguration;

}  // namespace orvel
