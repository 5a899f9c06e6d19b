// CommandFailure.cpp: the texts of a database file that did not open.
#include "tool/CommandFailure.h"

#include <cerrno>
#include <cstring>

CommandFailure OpenFailure(const std::string& path, int error)
{
    switch (error) {
    case ENOENT:
        return CommandFailure("no database file " + path);
    case EWOULDBLOCK:
        return CommandFailure(path + " is held by another process; try again");
    case EISDIR:
    case ENXIO:
        return CommandFailure(path + " is not a regular file");
    default:
        return CommandFailure("cannot open " + path + ": " + std::strerror(error));
    }
}
