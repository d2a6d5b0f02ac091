#include "cli/VekScanOptions.h"

#include <algorithm>

#include "cli/VekFamilyFormats.h"
#include "foundation/VekSymbology.h"

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

TVekTextMode parseTextMode(const std::string& value) {
    if (value == "plain") return TVekTextMode::plain;
    if (value == "hri") return TVekTextMode::hri;
    if (value == "escaped") return TVekTextMode::escaped;
    if (value == "bytes") return TVekTextMode::bytes;
    throw TVekUsageError("unknown text mode '" + value + "' (use plain, hri, escaped or bytes)");
}

constexpr int maxJobs = 64;

int parseJobs(const std::string& value) {
    int jobs = 0;
    for (char c : value) {
        if (c < '0' || c > '9' || jobs > maxJobs) throw TVekUsageError("-j needs a number of threads from 1 to 64");
        jobs = jobs * 10 + (c - '0');
    }
    if (jobs < 1 || jobs > maxJobs) throw TVekUsageError("-j needs a number of threads from 1 to 64");
    return jobs;
}

// The value of "-j N", "-jN" or "--jobs N"/"--jobs=N", if the argument is one.
std::optional<std::string> jobsValue(const std::vector<std::string>& arguments, size_t& index) {
    const std::string& argument = arguments[index];
    if (argument.size() > 2 && argument.starts_with("-j") && argument[2] >= '0' && argument[2] <= '9')
        return argument.substr(2);
    if (argument == "-j") {
        if (index + 1 >= arguments.size()) throw TVekUsageError("-j needs a value");
        return arguments[++index];
    }
    return optionValue(arguments, index, "--jobs");
}

// The options of the readBarcodes path; false when the argument is none.
bool parseReaderSwitch(const std::string& argument, TVekScanOptions& options) {
    TVekReaderOptions& reader = options.reader;
    if (argument == "--try-harder") {
        reader.tryHarder = true;
    } else if (argument == "--no-rotate") {
        reader.tryRotate = false;
    } else if (argument == "--no-invert") {
        reader.tryInvert = false;
    } else if (argument == "--pure") {
        reader.isPure = true;
    } else if (argument == "--errors") {
        reader.returnErrors = true;
    } else if (argument == "--add-ons") {
        reader.eanAddOn = TVekEanAddOn::read;
    } else if (argument == "--merge") {
        options.merge = true;
    } else if (argument == "--merge-across") {
        options.merge = true;
        options.mergeAcross = true;
    } else if (argument == "--code39-full-ascii") {
        reader.code39FullAscii = true;
    } else if (argument == "-r" || argument == "--recursive") {
        options.recurse = true;
    } else {
        return false;
    }
    return true;
}

void addFormats(TVekReaderOptions& reader, const TVekBarcodeFormats& formats) {
    reader.formats.insert(formats.empty() ? TVekBarcodeFormats::all() : formats);
}

// Options that only the readBarcodes path has, as the user wrote them.
void checkNotClassic(const std::vector<std::string>& given, const char* mode) {
    if (!given.empty())
        throw TVekUsageError(given.front() + " cannot be combined with " + mode);
}

}  // namespace

TVekScanOptions parseScanOptions(const std::vector<std::string>& arguments) {
    TVekScanOptions options;
    bool familyGiven = false;
    bool optionsEnded = false;
    std::vector<std::string> readerOptions;  // given options of the readBarcodes path
    TVekBarcodeFormats formats;
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
        } else if (argument == "--classic") {
            options.classic = true;
        } else if (auto family = optionValue(arguments, index, "--family")) {
            options.families = parseFamilies(*family);
            familyGiven = true;
        } else if (auto list = optionValue(arguments, index, "--formats")) {
            const std::optional<TVekBarcodeFormats> parsed = TVekBarcodeFormats::parse(*list);
            if (!parsed || parsed->empty())
                throw TVekUsageError("unknown format list '" + *list + "' (use names like QRCode,EAN13,DataMatrix)");
            addFormats(options.reader, *parsed);
            readerOptions.push_back("--formats");
        } else if (auto mode = optionValue(arguments, index, "--text-mode")) {
            options.textMode = parseTextMode(*mode);
            readerOptions.push_back("--text-mode");
        } else if (auto jobs = jobsValue(arguments, index)) {
            options.jobs = parseJobs(*jobs);
            readerOptions.push_back("-j");
        } else if (auto annotate = optionValue(arguments, index, "--annotate")) {
            if (annotate->empty()) throw TVekUsageError("--annotate needs a file name");
            options.annotate = *annotate;
            readerOptions.push_back("--annotate");
        } else if (auto debugPng = optionValue(arguments, index, "--debug-png")) {
            if (debugPng->empty()) throw TVekUsageError("--debug-png needs a file name");
            options.debugPng = *debugPng;
            readerOptions.push_back("--debug-png");
        } else if (parseReaderSwitch(argument, options)) {
            readerOptions.push_back(argument);
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
        if (options.classic) throw TVekUsageError("--demo cannot be combined with --classic");
        checkNotClassic(readerOptions, "--demo");
    } else if (options.paths.empty()) {
        throw TVekUsageError("no picture or folder given");
    }
    if (options.classic) checkNotClassic(readerOptions, "--classic");
    if (!options.classic && std::count(options.paths.begin(), options.paths.end(), "-") > 1)
        throw TVekUsageError("standard input (-) can be read only once");
    // --family chooses formats on the readBarcodes path; "all" (the default) leaves them to --formats.
    if (familyGiven && options.families.size() < allScanFamilies.size()) {
        for (TVekScanFamily family : options.families) addFormats(options.reader, formatsOfFamily(family));
    }
    return options;
}

namespace {

// The names of the symbology table, wrapped to the help text's column.
std::string formatList() {
    const std::string indent(18, ' ');
    std::string text;
    std::string line = indent;
    for (const TVekSymbology& row : symbologies()) {
        const std::string name = std::string(row.name) + (&row == &symbologies().back() ? "" : ",");
        if (line.size() > indent.size() && line.size() + 1 + name.size() > 78) {
            text += line + "\n";
            line = indent;
        }
        line += (line.size() > indent.size() ? " " : "") + name;
    }
    return text + line;
}

}  // namespace

std::string scanHelpText() {
    std::string text = R"(Usage: orvel-scan [OPTION]... PATH...
       orvel-scan --classic [--family FAMILY] [--json] PATH...
       orvel-scan --demo DIR
       orvel-scan --help

Finds and decodes the barcode symbols in pictures (PNG, JPEG and BMP files).

  PATH            a picture file (its first bytes tell its format, whatever
                  its name), "-" for a picture on standard input, or a
                  folder: its .png, .jpg, .jpeg and .bmp files (any case),
                  sorted by name. A folder that holds no picture is said on
                  stderr
  -r, --recursive folders' sub-folders too, each after its folder's files
  --formats LIST  the symbologies to read, separated by commas or spaces
                  (any case, '-' and '_' ignored; ITF for INTERLEAVED25);
                  default all:
@FORMATS@
  --family FAMILY 1d, pdf417, datamatrix, qr, aztec or all: adds the
                  family's symbologies to --formats
  --try-harder    more scan lines and passes, slower
  --no-rotate     linear symbols only as printed, not turned
  --no-invert     no light symbols on a dark ground
  --pure          the picture is one clean, upright symbol
  --errors        also report symbols found but not decoded
  --add-ons       EAN/UPC with their EAN-2 or EAN-5 add-on digits appended
  --text-mode MODE
                  how the content is shown (plain output and JSON "text"):
                  plain (the default: UTF-8 text), hri (GS1 content as
                  "(01)09501101530003(10)AB1", as far as its Application
                  Identifiers are known; other content as escaped),
                  escaped (control characters as <GS>, <RS>, <EOT> ...)
                  or bytes (the bytes in hexadecimal)
  --merge         joins the parts of structured-append sequences (QR Code,
                  Data Matrix, Aztec, Macro PDF417, MaxiCode) found in one
                  picture into one message; incomplete sequences stay parts
  --merge-across  --merge, and across the pictures of the run: a message
                  is listed with the first picture holding one of its
                  parts, and the other pictures no longer list their parts.
                  The output then comes after every picture is read
  --code39-full-ascii
                  Code 39 shift pairs read as full ASCII (CODE39EXTENDED);
                  naming CODE39EXTENDED in --formats does the same
  -j N            reads N files at once; the output keeps the files' order
  --annotate OUT.png
                  writes the picture (one PATH only) with each symbol's
                  outline and text drawn over it
  --debug-png OUT.png
                  writes the picture (one PATH only) with what the photo
                  front ends found drawn over it (finders, edges, grids),
                  to see why a symbol was missed
  --json          one JSON object per file and line:
                    {"file": "...", "ms": <float>, "error": null | "message",
                     "results": [{"family": "1d"|"pdf417"|"datamatrix"|"qr"|
                                  "aztec"|"maxicode",
                                  "symbology": one of the --formats names,
                                  "text": "...", "success": true|false,
                                  "x": <int>, "y": <int>,
                                  "bytes": "<hex>", "identifier": "]Q1"|...,
                                  "position": [[x, y], [x, y], [x, y], [x, y]],
                                  "orientation": <degrees>, "eci": true|false,
                                  "ecLevel": "...", "error": null|"...",
                                  "structuredAppend": {...}, "parts": [...],
                                  "gs1": [{"ai": "01", "value": "..."}],
                                  "gs1Error": "..."}]}
                  "ms" is the time to load and read the file; "text" is the
                  content as UTF-8, "bytes" the decoded bytes; "x", "y" and
                  "position" start at the symbol's top-left corner and go
                  clockwise. Only some results have the last four:
                  "structuredAppend" ({"index": 0-based, "count": n, "id":
                  "..."}) a part of a sequence, "parts" ([{"file": "...",
                  "position": [...]}, ...] in sequence order) a message
                  joined by --merge, "gs1" the elements of GS1 content (up
                  to the first error) and "gs1Error" why GS1 content is
                  not valid
  --classic       the scan steps of the demonstration program per file,
                  with today's output: --family runs the families in the
                  order of its list, each from the default settings with
                  the settings its demo button writes; folders give their
                  .bmp and .jpg files; "text" holds the decoded bytes 0-255
                  as the characters U+0000-U+00FF, and results have only
                  family, symbology, text, success, x and y. Errors are
                  printed on stdout in the plain output
  --demo DIR      runs the five scan buttons of the demonstration program in
                  order on DIR's sub-folders images, PDF417Images,
                  DatamatrixImages, QRCodeImages and AztecImages, and prints
                  the log the program would write. A picture that cannot be
                  loaded ends that button's scan; its message goes to stderr
  --help, -h      shows this text

Without --json each file is printed with one indented line per symbol found
("QRCODE: text", control characters as \xHH), or "No barcode found "; a
file that cannot be loaded is said on stderr. While several files are read
and stderr is a terminal, a progress counter shows on stderr.

Exit status: 0 when every file loaded and was read, 1 when a file could not
be loaded or read or a folder held no picture (the others are still read),
2 for a usage error.
)";
    text.replace(text.find("@FORMATS@"), 9, formatList());
    return text;
}

}  // namespace orvel
