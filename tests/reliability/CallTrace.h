// CallTrace.h: which system calls a request makes, and how often, read from
// one run under strace; the reliability tests then stop or fail each of them
// in turn.
#pragma once

#include "support/Site.h"

#include <map>
#include <string>
#include <vector>

// The calls that create, change, rename or remove a file, or end its use.
extern const std::vector<std::string> FileChangingCalls;
// Those, and every call that reads a file, its metadata or its name.
extern const std::vector<std::string> FileCalls;

// The calls joined by commas, as strace's -e options take them.
std::string CallList(const std::vector<std::string>& calls);

// How often the update `body` of the database laid out by `arrange` (on a
// fresh site holding `start`) makes each of `calls`; the run must succeed.
std::map<std::string, int> CallCounts(const std::string& start, const std::string& body,
                                      const std::vector<std::string>& calls, void (*arrange)(Site&) = nullptr);
