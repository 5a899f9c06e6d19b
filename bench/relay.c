/* relay.c: starts argv[1] with argv[1] as its argv[0] and the same environment.
   The benchmark measures peak memory through it: the kernel counts a child's
   peak resident size from the image it replaces, and this one is tiny, so the
   figure is the started program's own and not the benchmark's. */
#include <unistd.h>

int main(int argc, char** argv, char** envp)
{
    if (argc < 2)
        return 127;
    execve(argv[1], argv + 1, envp);
    return 127;
}
