// RunProgram.cpp: zephconf started through the launcher, optionally behind a
// wrapper command.
#include "support/RunProgram.h"

#include <cstdio>

std::string ZephconfPath()
{
    return ZEPHCONF_PATH;
}

ProgramAnswer RunZephconf(const ProgramRun& run)
{
    std::vector<std::string> environment;
    for (const auto& [name, value] : run.environment)
        environment.push_back(name + "=" + value);
    std::vector<std::string> argv = run.wrapper;
    // Without a wrapper, argv0 is only the name the program sees; a wrapper
    // starts the path it is given, so there argv0 must name the program (a copy).
    argv.push_back(run.argv0.empty() ? ZephconfPath() : run.argv0);
    const std::string file = run.wrapper.empty() ? ZephconfPath() : run.wrapper[0];

    Launch launch(file, argv, environment);
    launch.SetInput(run.body);
    launch.SetWorkingDir(run.workingDir);
    launch.CaptureErrors();
    ProgramAnswer answer;
    launch.Run(answer);
    if (answer.status >= 128)
        std::fwrite(answer.errors.data(), 1, answer.errors.size(), stderr);
    return answer;
}

ProgramAnswer RunGet(const std::string& query, const std::string& argv0, const std::string& workingDir)
{
    ProgramRun run;
    run.environment = {{"REQUEST_METHOD", "GET"}, {"QUERY_STRING", query}};
    run.argv0 = argv0;
    run.workingDir = workingDir;
    return RunZephconf(run);
}

ProgramAnswer RunPost(const std::string& body, const std::string& argv0, const std::string& workingDir,
                      const std::vector<std::string>& wrapper)
{
    ProgramRun run;
    run.environment = {{"REQUEST_METHOD", "POST"}, {"CONTENT_LENGTH", std::to_string(body.size())}};
    run.body = body;
    run.argv0 = argv0;
    run.workingDir = workingDir;
    run.wrapper = wrapper;
    return RunZephconf(run);
}
