// TempDir.h: a fresh folder for one test, removed afterwards; small file helpers.
#pragma once

#include <filesystem>
#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return root; }
    // root / name as text
    std::string operator/(const std::string& name) const { return (root / name).string(); }

private:
    std::filesystem::path root;
};

// The file's bytes; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& file);
// Writes the file anew; throws std::runtime_error when that fails.
void WriteFile(const std::filesystem::path& file, const std::string& bytes);
