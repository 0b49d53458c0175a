// Files for the tests of both programs: the test program's folder and temporary folders that
// clean up after themselves.
#pragma once

#include <string>

namespace lvctest {

// The folder of the running test program (the build's bin folder), ending in "\".
std::string BinFolder();

// A fresh, empty folder under the temporary folder, removed with everything in it by the
// destructor (links inside are removed, never followed).
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    [[nodiscard]] const std::string& Path() const { return path_; }  // ends in "\"

private:
    std::string path_;
};

// Removes a folder (its path ending in "\") and everything below it, without following links.
void RemoveFolderTree(const std::string& folder);

}  // namespace lvctest
