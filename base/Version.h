// Version.h: the version of the project's programs, which the version page and
// the shell tool's --version name. It is the project's version in
// CMakeLists.txt (project(... VERSION ...)), passed in as ZEPH_VERSION.
#pragma once

inline constexpr char ProgramVersion[] = ZEPH_VERSION;
