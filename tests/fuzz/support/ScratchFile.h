// ScratchFile.h: one file per fuzzing process in a private temporary folder,
// rewritten for every input and removed when the process ends.
#pragma once

#include <string>

// The path of this process's scratch file.
const std::string& ScratchPath();
// Replaces the scratch file's content with `bytes`.
void WriteScratch(const std::string& bytes);
// The scratch file's content as it is on disk.
std::string ReadScratch();
