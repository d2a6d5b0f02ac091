#pragma once

#include <vector>

#include "cli/VekPictureScan.h"

namespace orvel {

// orvel-scan --merge: the structured-append parts of one picture joined.
void mergeWithinPicture(TVekPictureReport& report);

// orvel-scan --merge-across: the parts of all pictures joined. A message goes
// to the report of the first picture that holds one of its parts, with the
// files of its parts in `partFiles`; the other pictures lose those parts.
void mergeAcrossPictures(std::vector<TVekPictureReport>& reports);

}  // namespace orvel
