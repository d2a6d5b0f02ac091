#include "cli/VekScanOptions.h"

namespace orvel {

namespace {

std::vector<TVekScanFamily> parseFamilies(const std::string& value) {
    if (value == "all") return {allScanFamilies.begin(), allScanFamilies.end()};
    const std::optional<TVekScanFamily> family = familyFromName(value);
    if (!family) {
        throw TVekUsageError("unknown family '" + value + "' (use 1d, pdf417, datamatrix, qr, aztec or all)");
    }
    return {*family};
}

// The value of an option given as "--name value" or "--name=value"; advances
// index past what it consumed.
std::optional<std::string> optionValue(const std::vector<std::string>& arguments, size_t& index,
                                       const std::string& name) {
    const std::string& argument = arguments[index];
    if (argument == name) {
        if (index + 1 >= arguments.size()) throw TVekUsageError(name + " needs a value");
        index += 1;
        return arguments[index];
    }
    if (argument.starts_with(name + "=")) return argument.substr(name.size() + 1);
    return std::nullopt;
}

}  // namespace

TVekScanOptions parseScanOptions(const std::vector<std::string>& arguments) {
    TVekScanOptions options;
    bool familyGiven = false;
    bool optionsEnded = false;
    for (size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (optionsEnded || argument == "-" || !argument.starts_with("-")) {
            options.paths.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (auto family = optionValue(arguments, index, "--family")) {
            options.families = parseFamilies(*family);
            familyGiven = true;
        } else if (auto folder = optionValue(arguments, index, "--demo")) {
            if (folder->empty()) throw TVekUsageError("--demo needs a folder");
            options.demoFolder = *folder;
        } else {
            throw TVekUsageError("unknown option '" + argument + "'");
        }
    }
    if (options.help) return options;
    if (options.demoFolder) {
        if (!options.paths.empty()) throw TVekUsageError("--demo takes one folder and no other paths");
        if (options.json || familyGiven) throw TVekUsageError("--demo cannot be combined with --json or --family");
    } else if (options.paths.empty()) {
        throw TVekUsageError("no picture or folder given");
    }
    return options;
}

std::string scanHelpText() {
    return R"(Usage: orvel-scan [--family FAMILY] [--json] PATH...
       orvel-scan --demo DIR
       orvel-scan --help

Finds and decodes the barcode symbols in pictures (.bmp and .jpg files).

  PATH            a picture file, or a folder: its .bmp and .jpg files (any
                  case, names longer than 4 characters), sorted by name
  --family FAMILY the symbol families to look for: 1d, pdf417, datamatrix,
                  qr, aztec, or all (the default). Families run in the order
                  of that list, each starting from the default settings and
                  writing the settings its demo button writes
  --json          one JSON object per file and line:
                    {"file": "...", "ms": <float>, "error": null | "message",
                     "results": [{"family": "1d"|"pdf417"|"datamatrix"|"qr"|
                                  "aztec",
                                  "symbology": "CODE128"|"EAN8"|"EAN13"|"UPCA"|
                                  "UPCE"|"CODE39"|"INTERLEAVED25"|"IDENTCODE"|
                                  "CODABAR"|"PDF417"|"DATAMATRIX"|"QRCODE"|
                                  "AZTEC",
                                  "text": "...", "success": true|false,
                                  "x": <int>, "y": <int>}]}
                  "ms" is the time to load and scan the file; "text" holds
                  the decoded bytes 0-255 as the characters U+0000-U+00FF
  --demo DIR      runs the five scan buttons of the demonstration program in
                  order on DIR's sub-folders images, PDF417Images,
                  DatamatrixImages, QRCodeImages and AztecImages, and prints
                  the log the program would write. A picture that cannot be
                  loaded ends that button's scan; its message goes to stderr
  --help, -h      shows this text

Without --json each file is printed with one indented line per symbol found
(or "No barcode found ", or the error). Decoded bytes are written as UTF-8.
While several files are scanned and stderr is a terminal, a progress counter
shows on stderr.

Exit status: 0 when every file loaded and was scanned, 1 when a file could
not be loaded or scanned (the others are still scanned), 2 for a usage error.
)";
}

}  // namespace orvel
