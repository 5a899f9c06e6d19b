// DatabaseArgument.cpp: from a database's folder or file to its folder,
// entered, and its file's name there.
#include "tool/database/DatabaseArgument.h"

#include "base/EscapedText.h"
#include "files/PathParts.h"
#include "tool/CommandFailure.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string LastComponent(const std::string& path)
{
    return SplitPath(path).name;
}

// The working folder's own name: "." and ".." name a folder by its real one.
std::string WorkingFolderName()
{
    char real[PATH_MAX];
    return ::getcwd(real, sizeof real) != nullptr ? LastComponent(real) : std::string();
}

}  // namespace

bool NamesDatabaseFile(const std::string& path)
{
    const std::string ending = ".ini";
    return path.size() >= ending.size() && path.compare(path.size() - ending.size(), ending.size(), ending) == 0;
}

DatabaseFile EnterDatabase(const std::string& database)
{
    // A name ending in ".ini" is the file; its folder is taken from the path,
    // never from where a link at the file's name leads.
    const bool byFile = NamesDatabaseFile(database);
    const std::string folder = WithoutTrailingSlashes(byFile ? SplitPath(database).folder : database);

    const int opened = OpenTrustedFolder(folder, TrustedUpTo::OwnersFolder);
    if (opened < 0) {
        const int error = errno;
        if (byFile && (error == ENOENT || error == ENOTDIR))
            throw OpenFailure(database, ENOENT);
        if (error == ENOENT)
            throw CommandFailure("no database folder or file " + database);
        // Never a file of another kind: the tool would write a section into it.
        if (error == ENOTDIR)
            throw CommandFailure(database + " is neither a database folder nor a database's .ini file");
        throw CommandFailure("cannot open " + folder + ": " + std::strerror(error));
    }
    DatabaseFile file;
    file.user = ::getuid();
    const uid_t runner = ::geteuid();
    file.folderOwner = EnterFolderAsOwner(opened, folder);
    if (byFile) {
        file.shown = database;
        file.name = LastComponent(database);
    } else {
        std::string name = LastComponent(folder);
        // A name the folder has, not the command line: shown escaped.
        const bool found = name.empty() || name == "." || name == "..";
        if (found)
            name = WorkingFolderName();
        if (name.empty() || name == "/")
            throw CommandFailure(database + " is no database folder");
        file.name = name + ".ini";
        file.shown = folder + "/" + (found ? EscapedText(file.name, TextKept::Utf8) : file.name);
    }
    // Still with the runner's own rights (root in root's folder, a user in
    // their own): no other user can change the folder, but a link at the
    // file leads the runner elsewhere, where the file is read and replaced
    // with those rights.
    if (::geteuid() == runner)
        RefuseUntrustedLinkAt(file.name);
    struct stat status {};
    if (::stat(file.name.c_str(), &status) != 0 && errno == ENOENT)
        throw OpenFailure(file.shown, ENOENT);
    return file;
}
