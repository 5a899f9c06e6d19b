// Launch.h: starts a program the way a web server starts a CGI program: a clean
// environment holding only the given variables, the request body on standard
// input, the answer read from a pipe, and what the run cost. The one child
// launcher of the tests (zephconf through Site.h, the shell tool directly)
// and of the request benchmark.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// What one run of a program gave back.
struct ProgramAnswer {
    std::string output;  // everything written to standard output
    std::string errors;  // everything written to standard error (when captured)
    int status = -1;     // exit status; 128 + signal number when killed by a signal
};

class Launch {
public:
    // program: the file to execute; argv: its arguments, argv[0] first;
    // environment: "NAME=value" entries, the whole environment it gets.
    // Standard input is empty and standard error discarded until set otherwise.
    Launch(std::string program, std::vector<std::string> argv, std::vector<std::string> environment);
    ~Launch();
    Launch(const Launch&) = delete;
    Launch& operator=(const Launch&) = delete;

    // Standard input: these bytes, through a pipe written while the answer is
    // read, so that neither side can stall; a program that stops reading
    // leaves the rest unread.
    void SetInput(std::string bytes);
    // Standard input: the file at `path`, read from its start on every run.
    void SetInputFile(const std::string& path);
    // The folder the program starts in (default: the caller's).
    void SetWorkingDir(std::string dir);
    // Standard error into ProgramAnswer::errors instead of discarding it.
    void CaptureErrors();

    struct Cost {
        double microseconds = 0;     // from before fork to after the child was reaped
        double cpuMicroseconds = 0;  // user + system time of the child
        long minorFaults = 0;        // page faults served without I/O
    };
    // Runs the program once; `answer` is filled anew (its buffers are reused).
    Cost Run(ProgramAnswer& answer) const;
    // Runs the program once, held at its exit to read its peak resident size
    // (VmHWM): the figure of its own image only. ru_maxrss would also count
    // the copy of the caller that fork made before the exec. The input must
    // come from a file or be empty, and the answer must fit a pipe (1 MiB).
    long PeakRssKiB(ProgramAnswer& answer) const;

private:
    struct Pipes;
    // Forks the child with its standard streams on `pipes` (or /dev/null) and
    // execs the program; `traced` stops it after execve for ptrace.
    pid_t Start(const Pipes& pipes, bool traced) const;

    std::string program;
    std::vector<std::string> argvText, envText;
    std::vector<char*> argv, envp;
    std::string input;
    bool inputFromPipe = false;
    int inputFd = -1;  // the input file
    int nullFd = -1;
    std::string workingDir;
    bool captureErrors = false;
};
