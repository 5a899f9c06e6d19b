// DatabaseArgument.cpp: from a database's folder or file to its file's path.
#include "tool/DatabaseArgument.h"

#include "tool/CommandFailure.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>

namespace {

std::string LastComponent(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::string DatabaseIniPath(const std::string& database)
{
    std::string iniPath;
    struct stat named {};
    const bool exists = ::stat(database.c_str(), &named) == 0;
    const int statError = exists ? 0 : errno;
    if (exists && S_ISDIR(named.st_mode)) {
        std::string folder = database;
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        std::string name = LastComponent(folder);
        // "." or ".." name the folder by its real name.
        if (name.empty() || name == "." || name == "..") {
            char real[PATH_MAX];
            if (::realpath(folder.c_str(), real) != nullptr)
                name = LastComponent(real);
        }
        if (name.empty() || name == "." || name == "..")
            throw CommandFailure(database + " is no database folder");
        iniPath = folder + "/" + name + ".ini";
    } else if (EndsWith(database, ".ini")) {
        iniPath = database;
    } else if (statError == ENOENT) {
        throw CommandFailure("no database folder or file " + database);
    } else {
        // Never a file of another kind: the tool would write a section into it.
        throw CommandFailure(database + " is neither a database folder nor a database's .ini file");
    }
    if (::stat(iniPath.c_str(), &named) != 0 && errno == ENOENT)
        throw OpenFailure(iniPath, ENOENT);
    return iniPath;
}
