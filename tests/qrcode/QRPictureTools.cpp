#include "QRPictureTools.h"

#include "foundation/VekPictureLoader.h"
#include "support/TestSupport.h"

namespace orvel::test {

std::optional<TVekImage> renderQRPicture(const std::string& zintArguments, int modulePixels,
                                         const std::filesystem::path& path) {
    // zint's raster scale 1 draws two pixels per module.
    const std::string scale = std::to_string(modulePixels / 2) + (modulePixels % 2 ? ".5" : "");
    if (!zintRender("-b QRCODE --quietzones --scale=" + scale + " " + zintArguments, path)) return std::nullopt;
    return loadPictureFile(path);
}

}  // namespace orvel::test
