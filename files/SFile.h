// SFile.h: the file object: one C library stream on one path, held under a
// whole-file lock, with one uniform file error.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>

// Open-mode flags, combined into the mode given to CSFile::Open.
enum : int {
    OpenRead = 1,       // access field (mode & 3) 1: read only
    OpenWrite = 2,      // access field 2: write only
    OpenReadWrite = 3,  // access field 3 (or 0): read and write
    OpenCreate = 4,     // with read-write access: create, emptying an existing file
    OpenKeep = 0x20,    // keep an existing file's content where it would be emptied
    OpenShared = 0x40,  // shared lock instead of an exclusive one
    // Wait up to LockWait (files/LockWait.h) for a lock that another process holds, and
    // open again when the path meanwhile came to name another file (a new
    // file renamed over it). Without it the lock never waits.
    OpenWaitForLock = 0x100,
    // Only a regular file: a directory, pipe, device or socket (also behind a
    // link) fails the open as a missing file would, without being waited for
    // or read.
    OpenRegularFile = 0x200
};

// The file error: a std::runtime_error whose text is the operation's context
// followed by strerror of the failed call's errno, which it keeps, so that a
// caller can tell a full disk from any other failure.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& text, int error) : std::runtime_error(text), error(error) {}
    // The errno of the failed call.
    int Error() const { return error; }

private:
    int error;
};

// Throws the FileError whose text is `context` (null as empty) followed by
// strerror(errno).
[[noreturn]] void ThrowFileError(const char* context);

// One C library stream under a whole-file lock. A request uses Open, Close,
// GetStream, Seek and Flush; the rest is the file layer's general interface,
// kept and covered by tests/files/SFile_test.cpp.
class CSFile {
public:
    CSFile();
    // Opens without raising; a failed open leaves the object closed.
    CSFile(const char* path, int mode);
    virtual ~CSFile();

    virtual void SetLength(long length);
    virtual long GetLength();
    virtual long Seek(long offset, int origin);
    virtual void Flush();
    // True when the file is open and locked. Without raiseOnFailure every
    // failure (missing file, permission, lock held elsewhere) returns false.
    // The open itself never waits: a pipe without a writer opens at once.
    virtual bool Open(const char* path, int mode, bool raiseOnFailure = false);
    virtual void Close();
    virtual size_t Read(void* buffer, size_t count);
    virtual void Write(const void* buffer, size_t count);
    virtual std::string GetFileName() const;
    virtual std::string GetFileTitle() const;
    virtual std::string GetFileDirectory() const;
    virtual void SetFilePath(const char* path);
    virtual void LockRange(long position, long count, int origin);
    virtual void UnlockRange(long position, long count, int origin);
    virtual FILE* GetStream() const;
    long GetPosition();

    static void Rename(const char* oldPath, const char* newPath);
    static void Remove(const char* path);

protected:
    FILE* stream = nullptr;
    std::string path;
    int lastTransfer = 0;  // 0 none, 1 read, 2 write

private:
    void ChangeDirection(int transfer);
    bool OpenAndLock(int mode);
    // One attempt: -1 failed (errno set), 0 the path came to name another
    // file before the lock was ours, 1 open and locked.
    int TryOpenAndLock(int mode, const struct timespec* deadline);
    void RangeLock(long position, long count, int origin, short type);
};
