// LineEndings.h: brings a database's initialisation file to plain line-feed
// line ends before it is loaded.
#pragma once

#include <string>

class CIniFile;

// `file` is open (and locked) on `iniPath`. A file whose first line is followed
// by a line feed, or by nothing, is left untouched. Any other file gets its
// lines with line feeds, the whole of it or nothing: through a temporary file
// beside it (beside the file a link names), which then replaces it, or in
// place where a rename would lose what users see or set (other hard links, an
// owner or attribute the new file cannot get; see ReplaceThroughTemporaryFile).
// Either way `file` is closed on return.
//
// Returns NoTemporaryFile when the temporary file cannot be had for a file
// that is not behind a link (the original is untouched). Any other failure
// leaves the original byte for byte as it was, leaves no temporary file, and
// raises the file error.
enum class LineEnds {
    Untouched,        // line feeds already, or a file this process may not write
    Rewritten,        // the file now has line feeds
    NoTemporaryFile,  // untouched
};
LineEnds NormaliseLineEndings(CIniFile& file, const std::string& iniPath);
