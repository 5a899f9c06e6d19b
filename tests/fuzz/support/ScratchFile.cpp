// ScratchFile.cpp: the scratch file of a fuzzing process.
#include "support/ScratchFile.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

std::string folder;

void RemoveFolder()
{
    std::remove(ScratchPath().c_str());
    ::rmdir(folder.c_str());
}

}  // namespace

const std::string& ScratchPath()
{
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/zeph-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        folder = pattern;
        std::atexit(RemoveFolder);
        return folder + "/db.ini";
    }();
    return path;
}

void WriteScratch(const std::string& bytes)
{
    std::ofstream out(ScratchPath(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        std::abort();
}

std::string ReadScratch()
{
    std::ifstream in(ScratchPath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
