/* durable-floor.c: the cheapest durable update, the yardstick of the benchmark
   for a request that changes the database file: a static C program that
   writes the HTTP header, reads the file named by its first argument, writes
   the same bytes to a temporary file beside it, syncs that, renames it over
   the file and syncs the folder.

   With a second argument, a folder, it first keeps the file's content there
   the same way (written to a temporary file, synced, renamed over the name
   "kept"), as an update that keeps what it replaces does: two files
   written, synced and renamed, and one folder sync after both renames. */
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static char content[1 << 20];

static int WriteAll(int fd, const char* bytes, size_t count)
{
    while (count > 0) {
        ssize_t written = write(fd, bytes, count);
        if (written <= 0)
            return 0;
        bytes += written;
        count -= (size_t)written;
    }
    return 1;
}

/* The content written to `temporary`, synced and renamed to `name`. */
static int WriteAndRename(const char* temporary, const char* name, size_t size)
{
    int copy = open(temporary, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (copy < 0 || !WriteAll(copy, content, size) || fsync(copy) != 0 || close(copy) != 0)
        return 0;
    return rename(temporary, name) == 0;
}

int main(int argc, char** argv)
{
    static const char header[] = "Content-type: text/html\n\n";
    char temporary[4096], folder[4096], kept[4096];
    if (argc < 2 || argc > 3 || strlen(argv[1]) + 4 > sizeof temporary
        || (argc == 3 && strlen(argv[2]) + 8 > sizeof kept))
        return 2;
    if (!WriteAll(STDOUT_FILENO, header, sizeof header - 1))
        return 1;

    int file = open(argv[1], O_RDONLY);
    if (file < 0)
        return 1;
    size_t size = 0;
    ssize_t got;
    while ((got = read(file, content + size, sizeof content - size)) > 0)
        size += (size_t)got;
    close(file);

    if (argc == 3) {
        if (mkdir(argv[2], 0700) != 0 && errno != EEXIST)
            return 1;
        snprintf(temporary, sizeof temporary, "%s/tmp", argv[2]);
        snprintf(kept, sizeof kept, "%s/kept", argv[2]);
        if (!WriteAndRename(temporary, kept, size))
            return 1;
    }
    snprintf(temporary, sizeof temporary, "%stmp", argv[1]);
    if (!WriteAndRename(temporary, argv[1], size))
        return 1;

    snprintf(folder, sizeof folder, "%s", argv[1]);
    char* slash = strrchr(folder, '/');
    if (slash == NULL)
        strcpy(folder, ".");
    else
        *slash = '\0';
    int directory = open(folder, O_RDONLY | O_DIRECTORY);
    if (directory < 0 || fsync(directory) != 0)
        return 1;
    close(directory);
    return 0;
}
