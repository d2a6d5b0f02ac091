#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "scan/VekScanFamily.h"
#include "scan/VekScanResult.h"

namespace orvel {

// Receives the log, one line per call.
using TVekLogSink = std::function<void(const std::string&)>;

// True for a file name a folder scan takes: longer than 4 characters and
// ending in ".jpg" or ".bmp" in any case (A.JPG is taken, a.jpeg and
// scan.png are not, nor a name that is only the extension).
bool isPictureName(const std::string& name);

// The names of the folder's entries that are not directories, sorted by name
// so that every system scans in the same order. Empty when the folder does
// not exist or cannot be listed.
std::vector<std::string> listFolder(const std::filesystem::path& folder);

// Why a folder a scan button reads gives nothing to scan: "no such folder",
// "not a folder" or "cannot read the folder: <reason>"; empty when it can be
// listed. The log of a click does not change for it (an empty folder's log);
// the demo and orvel-scan --demo say it on stderr.
std::string folderProblem(const std::filesystem::path& folder);

// The entries of listFolder that isPictureName takes, in the same order.
std::vector<std::string> listPictures(const std::filesystem::path& folder);

// Writes a picture's records to the log: each record's lines, or
// "No barcode found " when there is none.
void logResults(const TVekScanResults& results, const TVekLogSink& log);

// One click of a scan button: the family's start-of-click settings, then for
// every picture of the folder "Scanning " + name, the family's scan step, the
// records' lines and an empty line; finally an empty line and "Done.". A
// picture that cannot be loaded and any error of a reader end the scan at
// that file: the exception propagates with the lines so far already logged.
void scanFolder(TVekScanFamily family, const std::filesystem::path& folder, const TVekLogSink& log);

}  // namespace orvel
