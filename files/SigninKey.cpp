// SigninKey.cpp: reading, making and removing a database's sign-in key.
#include "files/SigninKey.h"

#include "base/RandomBytes.h"
#include "files/FolderSync.h"
#include "files/OwnedDescriptor.h"
#include "files/PathParts.h"
#include "files/TemporaryFile.h"
#include "files/WholeFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int OpenDatabaseFolder(const std::string& path)
{
    return ::open(SplitPath(path).folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// The key standing in the folder; false when none is there that can be
// trusted (errno ENOENT when none is there at all).
bool ReadKey(int folder, std::string& key)
{
    OwnedDescriptor file(::openat(folder, SigninKeyName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.IsOpen())
        return false;
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0)
        return false;
    // Another user's file, or one others may read or write, signs nothing.
    if (!S_ISREG(status.st_mode) || status.st_uid != ::geteuid() || (status.st_mode & 077) != 0
        || status.st_size != static_cast<off_t>(SigninKeyLength)) {
        errno = EPERM;
        return false;
    }
    key.resize(SigninKeyLength);
    size_t got = 0;
    while (got < SigninKeyLength) {
        const ssize_t n = ::pread(file.Get(), key.data() + got, SigninKeyLength - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            errno = n == 0 ? EIO : errno;
            return false;
        }
        got += static_cast<size_t>(n);
    }
    return true;
}

// A new key written whole beside its place, then given the key's name, which
// it takes only while no other file holds it.
bool MakeKey(int folder, std::string& key)
{
    unsigned char bytes[SigninKeyLength];
    if (!ReadRandomBytes(bytes, sizeof bytes))
        return false;
    key.assign(reinterpret_cast<const char*>(bytes), sizeof bytes);
    CTemporaryFile made(folder, std::string(SigninKeyName) + "tmp");
    struct stat status {};
    if (!made.Create(status) || !WriteAllAt(made.Descriptor(), key.data(), key.size(), 0)
        || ::fsync(made.Descriptor()) != 0)
        return false;
    if (::renameat2(folder, made.Name().c_str(), folder, SigninKeyName, RENAME_NOREPLACE) != 0)
        return false;
    ::close(made.Release());
    // Lost in a power cut, the key would end the sign-ins given under it.
    return SyncFolder(folder);
}

}  // namespace

std::string SigninKey(const std::string& path)
{
    const OwnedDescriptor folder(OpenDatabaseFolder(path));
    if (!folder.IsOpen())
        return {};
    std::string key;
    if (ReadKey(folder.Get(), key))
        return key;
    // What stands in the key's place and cannot be trusted goes first.
    if (errno != ENOENT && ::unlinkat(folder.Get(), SigninKeyName, 0) != 0 && errno != ENOENT)
        return {};
    if (MakeKey(folder.Get(), key))
        return key;
    const int error = errno;
    // Another process made one meanwhile: that one is the key.
    if (error == EEXIST && ReadKey(folder.Get(), key))
        return key;
    errno = error;
    return {};
}

std::string ExistingSigninKey(const std::string& path)
{
    const OwnedDescriptor folder(OpenDatabaseFolder(path));
    std::string key;
    if (!folder.IsOpen() || !ReadKey(folder.Get(), key))
        return {};
    return key;
}

bool RemoveSigninKey(const std::string& path)
{
    const OwnedDescriptor folder(OpenDatabaseFolder(path));
    if (!folder.IsOpen())
        return errno == ENOENT;
    return ::unlinkat(folder.Get(), SigninKeyName, 0) == 0 || errno == ENOENT;
}
