// RunTool.h: the shell tool run as a user runs it, for the tool's tests.
#pragma once

#include "support/Launch.h"

#include <string>
#include <vector>

// The tool with `args`, standard input `input`, in `workingDir` (default: the
// test's own), with an empty environment.
inline ProgramAnswer RunTool(const std::vector<std::string>& args, const std::string& input = "",
                             const std::string& workingDir = "")
{
    std::vector<std::string> argv = {"zephconf-admin"};
    argv.insert(argv.end(), args.begin(), args.end());
    Launch launch(ZEPHCONF_ADMIN_PATH, argv, {});
    launch.SetInput(input);
    launch.SetWorkingDir(workingDir);
    launch.CaptureErrors();
    ProgramAnswer answer;
    launch.Run(answer);
    return answer;
}
