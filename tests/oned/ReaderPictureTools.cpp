#include "ReaderPictureTools.h"

#include "foundation/VekPictureLoader.h"
#include "support/TestSupport.h"

namespace orvel::test {

std::optional<TVekImage> renderLinearSymbol(const std::string& zintArguments, int modulePixels,
                                            const std::filesystem::path& path, int margin) {
    // zint's raster scale 1 draws two pixels per module.
    const std::string scale = std::to_string(modulePixels / 2) + (modulePixels % 2 ? ".5" : "");
    if (!zintRender(zintArguments + " --scale=" + scale, path)) return std::nullopt;
    const TVekImage symbol = loadPictureFile(path);
    return pasteOnto(symbol, symbol.width + 2 * margin, symbol.height + 2 * margin, margin, margin);
}

}  // namespace orvel::test
