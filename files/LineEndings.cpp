// LineEndings.cpp: the one-time rewrite of a file written with CR LF line ends.
#include "files/LineEndings.h"

#include "files/IniFile.h"
#include "files/SioFile.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool FirstLineEndsWithLineFeed(CIniFile& file)
{
    std::string firstLine;
    file.ReadString(firstLine);
    file.Seek(static_cast<long>(firstLine.size()), SEEK_SET);
    char next = '\0';
    return file.Read(&next, 1) == 0 || next == '\n';
}

// Copies every line of `from` into `to` with a line feed after each and makes
// the copy durable. The copy gets the original's permission bits before the
// first byte goes in: the file holds passwords, and a 0600 file must never
// have a readable copy, not even for a moment.
void CopyWithLineFeeds(CIniFile& from, CSioFile& to)
{
    struct stat original;
    if (::fstat(::fileno(from.GetStream()), &original) != 0 ||
        ::fchmod(::fileno(to.GetStream()), original.st_mode & 07777) != 0)
        ThrowFileError("File write: ");
    from.Seek(0, SEEK_SET);
    std::string line;
    while (from.ReadString(line)) {
        line += '\n';
        to.Write(line.data(), line.size());
    }
    to.Flush();
    if (::fsync(::fileno(to.GetStream())) != 0)
        ThrowFileError("File flush: ");
}

}  // namespace

bool NormaliseLineEndings(CIniFile& file, const std::string& iniPath)
{
    if (FirstLineEndsWithLineFeed(file)) {
        file.Close();
        return true;
    }

    const std::string tmpPath = iniPath + "tmp";
    CSioFile copy;
    // The temporary file is emptied only once its lock is ours: emptying it on
    // open would destroy the copy that another request is writing.
    if (!copy.Open(tmpPath.c_str(), OpenReadWrite | OpenCreate | OpenKeep))
        return false;
    try {
        copy.SetLength(0);
        CopyWithLineFeeds(file, copy);
        // Renamed over the original while both are still open and locked, so
        // the database never lacks its file and no other request slips in.
        CSFile::Rename(tmpPath.c_str(), iniPath.c_str());
    } catch (...) {
        std::remove(tmpPath.c_str());
        throw;
    }
    file.Close();
    copy.Close();
    return true;
}
