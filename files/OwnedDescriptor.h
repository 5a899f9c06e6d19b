// OwnedDescriptor.h: a file descriptor that its holder closes when it goes.
#pragma once

#include <unistd.h>

class OwnedDescriptor {
public:
    // Takes `descriptor` (-1: none) to close.
    explicit OwnedDescriptor(int descriptor = -1) noexcept : fd(descriptor) {}
    ~OwnedDescriptor() { Reset(); }
    OwnedDescriptor(const OwnedDescriptor&) = delete;
    OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;

    int Get() const { return fd; }
    bool IsOpen() const { return fd >= 0; }
    // Closes the descriptor held, and holds `descriptor` in its place.
    void Reset(int descriptor = -1)
    {
        if (fd >= 0)
            ::close(fd);
        fd = descriptor;
    }
    // The descriptor, no longer closed here.
    int Release()
    {
        const int released = fd;
        fd = -1;
        return released;
    }

private:
    int fd;
};
