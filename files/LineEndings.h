// LineEndings.h: brings a database's initialisation file to plain line-feed
// line ends before it is loaded.
#pragma once

#include <string>

class CIniFile;

// `file` is open (and locked) on `iniPath`. A file whose first line is followed
// by a line feed, or by nothing, is left untouched. Any other file is copied
// line by line with line feeds into iniPath + "tmp", which then replaces it.
// Either way `file` is closed on return.
//
// Returns false when the temporary file cannot be created (the original is
// untouched). Any other failure removes the temporary file, leaves the
// original byte for byte as it was, and raises the file error.
bool NormaliseLineEndings(CIniFile& file, const std::string& iniPath);
