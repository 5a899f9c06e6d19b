// DatabaseModel.cpp: reading the model, carrying its name over.
#include "tool/create/DatabaseModel.h"

#include "files/WholeFile.h"
#include "tool/CommandFailure.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WordByte(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// `value` with every word `from` replaced by `to`.
std::string Replaced(const std::string& value, const std::string& from, const std::string& to)
{
    std::string out;
    size_t done = 0;
    for (size_t at = value.find(from); at != std::string::npos; at = value.find(from, at + 1)) {
        const size_t end = at + from.size();
        if (at < done || (at > 0 && WordByte(value[at - 1])) || (end < value.size() && WordByte(value[end])))
            continue;
        out.append(value, done, at - done);
        out += to;
        done = end;
    }
    return out + value.substr(done);
}

}  // namespace

std::string ReadModel(const std::string& path)
{
    // Never waits on a pipe nor takes a terminal; only a regular file is read.
    const int file = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0) {
        if (errno == ENOENT)
            throw CommandFailure("no model file " + path);
        throw CommandFailure("cannot read the model " + path + ": " + std::strerror(errno));
    }
    struct stat status {};
    std::string text;
    try {
        if (::fstat(file, &status) != 0)
            throw CommandFailure("cannot read the model " + path + ": " + std::strerror(errno));
        if (!S_ISREG(status.st_mode))
            throw CommandFailure("the model " + path + " is not a regular file");
        text = ReadWholeFile(file);
    } catch (const CommandFailure&) {
        ::close(file);
        throw;
    } catch (const std::runtime_error& error) {
        ::close(file);
        throw CommandFailure("cannot read the model " + path + ": " + error.what());
    }
    ::close(file);
    return text;
}

std::string CarriedOver(const std::string& model, const std::string& modelName, const std::string& name)
{
    std::string text;
    text.reserve(model.size());
    for (size_t start = 0; start < model.size();) {
        size_t end = model.find('\n', start);
        end = end == std::string::npos ? model.size() : end + 1;
        std::string line = model.substr(start, end - start);
        start = end;
        if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0)
            line.erase(line.size() - 2, 1);
        const size_t equals = line.find('=');
        if (!modelName.empty() && modelName != name && equals != std::string::npos && line[0] != '[')
            line = line.substr(0, equals + 1) + Replaced(line.substr(equals + 1), modelName, name);
        text += line;
    }
    return text;
}
