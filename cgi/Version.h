// Version.h: the version of the project's programs, which the version page and
// the shell tool's --version name.
#pragma once

inline constexpr char ProgramVersion[] = "5.31";
