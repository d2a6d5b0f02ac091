#pragma once

#include <string>
#include <vector>

namespace orvel {

// The pictures a command line names, and what it named that held none.
struct TVekPictureList {
    std::vector<std::string> files;  // in command-line order, each folder's pictures sorted by name
    std::vector<std::string> notes;  // "<path>: <why no picture was taken from it>"
};

// True for a name a folder scan takes: ".bmp", ".jpg", ".jpeg" or ".png" in
// any case, with something before the extension.
bool isReadablePictureName(const std::string& name);

// A path that is a folder stands for the pictures in it, sorted by name
// (with `recurse`, followed by those of its sub-folders, each in turn, in
// name order; links to folders are not followed); anything else, "-" for standard input included, stands
// for itself and is tried as a picture whatever its name. A folder that
// gives no picture gets a note saying why.
TVekPictureList collectPictures(const std::vector<std::string>& paths, bool recurse);

}  // namespace orvel
