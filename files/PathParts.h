// PathParts.h: a path cut at its last "/" into the folder that holds it and
// its own name.
#pragma once

#include <string>

struct PathParts {
    std::string folder;  // "." for a path without a "/", "/" for a name at the root
    std::string name;    // after the last "/" (the whole path without one)
};

inline PathParts SplitPath(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// `path` without the slashes at its end; "/" stays "/".
inline std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}
