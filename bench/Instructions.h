// Instructions.h: counts the instructions one request executes, with valgrind's
// callgrind tool (exact and repeatable, unlike wall time on a busy machine).
#pragma once

#include <string>
#include <vector>

struct InstructionCount {
    long long instructions = -1;  // -1: not measured
    std::string answer;
    int status = -1;
};

// Runs `command` (the program, then its arguments) under valgrind with the
// given environment and body; outFile receives callgrind's profile (kept for
// callgrind_annotate).
InstructionCount CountInstructions(const std::string& valgrind, const std::vector<std::string>& command,
                                   const std::vector<std::string>& environment,
                                   const std::string& bodyFile, const std::string& outFile);
