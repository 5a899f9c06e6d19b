// FileChecks.h: what the reliability tests look at after a request: a file's
// status, and how an answer ends.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

// The status of the file at `path` (of the link itself with followLink
// false); a file that is not there fails the test.
inline struct stat StatusOf(const std::string& path, bool followLink = true)
{
    struct stat status {};
    EXPECT_EQ(0, followLink ? ::stat(path.c_str(), &status) : ::lstat(path.c_str(), &status)) << path;
    return status;
}

inline bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}
