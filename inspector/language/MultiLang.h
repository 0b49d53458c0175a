// Language support of the program: where its files are and the texts that replace the built-in ones.
#pragma once

#include <string>

namespace lvx {

// The running program's folder, always ending in "\"; language and data files are looked for there.
extern std::string ProgramFolder;

void InitProgramFolder();

}  // namespace lvx
