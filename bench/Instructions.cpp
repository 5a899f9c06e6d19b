// Instructions.cpp: runs a program under callgrind and reads the total of
// executed instructions (Ir) from the profile it writes.
#include "Instructions.h"

#include "support/Launch.h"

#include <cstdlib>
#include <fstream>
#include <utility>

InstructionCount CountInstructions(const std::string& valgrind, const std::vector<std::string>& command,
                                   const std::vector<std::string>& environment,
                                   const std::string& bodyFile, const std::string& outFile)
{
    std::vector<std::string> argv = {valgrind, "--tool=callgrind", "-q", "--callgrind-out-file=" + outFile};
    argv.insert(argv.end(), command.begin(), command.end());
    Launch launch(valgrind, argv, environment);
    if (!bodyFile.empty())
        launch.SetInputFile(bodyFile);
    ProgramAnswer answer;
    launch.Run(answer);
    InstructionCount count;
    count.answer = std::move(answer.output);
    count.status = answer.status;

    std::ifstream profile(outFile);
    std::string line;
    while (std::getline(profile, line)) {
        // "summary:" in the header, "totals:" at the end; both give the total Ir.
        for (const char* label : {"summary: ", "totals: "})
            if (line.compare(0, std::char_traits<char>::length(label), label) == 0)
                count.instructions = std::atoll(line.c_str() + std::char_traits<char>::length(label));
    }
    return count;
}
