// CapturedAnswer.cpp: the answer flushed into a temporary file in place of
// standard output.
#include "support/CapturedAnswer.h"

#include "base/Output.h"

#include <cstdio>
#include <stdexcept>
#include <unistd.h>

std::string CapturedAnswer(const std::function<void()>& write)
{
    FlushOutput();
    std::fflush(stdout);  // the test framework's own lines stay where they belong
    FILE* file = std::tmpfile();
    const int saved = ::dup(STDOUT_FILENO);
    if (file == nullptr || saved < 0 || ::dup2(::fileno(file), STDOUT_FILENO) < 0)
        throw std::runtime_error("cannot redirect standard output");
    write();
    FlushOutput();
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);

    std::string bytes;
    std::rewind(file);
    char block[4096];
    for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;)
        bytes.append(block, got);
    std::fclose(file);
    return bytes;
}
