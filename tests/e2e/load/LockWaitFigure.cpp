// LockWaitFigure.cpp: writes LockWait in milliseconds to the file named by its
// argument. The build runs it, so that the load test reads the wait of the
// program it tests from that program's build instead of keeping a copy.
#include "files/LockWait.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "w");
    if (out == nullptr)
        return 1;
    std::fprintf(out, "%lld\n", static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(LockWait).count()));
    return std::fclose(out) == 0 ? 0 : 1;
}
