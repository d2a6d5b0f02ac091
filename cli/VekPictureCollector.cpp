#include "cli/VekPictureCollector.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace orvel {

namespace fs = std::filesystem;

namespace {

std::string asciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// What one folder holds, sorted by name.
struct TFolderEntries {
    std::vector<fs::path> pictures;
    std::vector<fs::path> folders;
    size_t others = 0;  // files of other names
};

TFolderEntries listEntries(const fs::path& folder) {
    TFolderEntries entries;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        std::error_code statusError;
        if (entry.is_directory(statusError)) {
            if (!entry.is_symlink(statusError)) entries.folders.push_back(entry.path());
        } else if (isReadablePictureName(entry.path().filename().string())) {
            entries.pictures.push_back(entry.path());
        } else {
            entries.others += 1;
        }
    }
    std::sort(entries.pictures.begin(), entries.pictures.end());
    std::sort(entries.folders.begin(), entries.folders.end());
    return entries;
}

// Adds the folder's pictures (and its sub-folders' with `recurse`) and
// returns how many it added.
size_t addFolder(const fs::path& folder, bool recurse, std::vector<std::string>& files,
                 TFolderEntries* top = nullptr) {
    TFolderEntries entries = listEntries(folder);
    size_t added = entries.pictures.size();
    for (const fs::path& picture : entries.pictures) files.push_back(picture.string());
    if (recurse) {
        for (const fs::path& sub : entries.folders) added += addFolder(sub, true, files);
    }
    if (top != nullptr) *top = std::move(entries);
    return added;
}

std::string whyNoPicture(const TFolderEntries& entries, bool recurse) {
    if (recurse && !entries.folders.empty()) return "no picture in this folder or its sub-folders";
    if (!entries.folders.empty()) {
        const size_t count = entries.folders.size();
        return "no picture in this folder; give -r to read its " + std::to_string(count) +
               (count == 1 ? " sub-folder" : " sub-folders");
    }
    if (entries.others > 0) return "no picture in this folder (.bmp, .jpg, .jpeg and .png files are read)";
    return "no picture in this folder: it is empty";
}

}  // namespace

bool isReadablePictureName(const std::string& name) {
    const std::string lower = asciiLower(name);
    for (const std::string extension : {".bmp", ".jpg", ".jpeg", ".png"}) {
        if (lower.size() > extension.size() && lower.ends_with(extension)) return true;
    }
    return false;
}

TVekPictureList collectPictures(const std::vector<std::string>& paths, bool recurse) {
    TVekPictureList list;
    for (const std::string& path : paths) {
        std::error_code error;
        if (path == "-" || !fs::is_directory(path, error)) {
            list.files.push_back(path);
            continue;
        }
        TFolderEntries top;
        if (addFolder(path, recurse, list.files, &top) == 0) list.notes.push_back(path + ": " + whyNoPicture(top, recurse));
    }
    return list;
}

}  // namespace orvel
