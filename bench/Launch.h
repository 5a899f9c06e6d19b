// Launch.h: starts a program the way a web server starts a CGI program: a clean
// environment holding only the CGI variables, the request body on standard
// input, the answer read from a pipe, and the time and resources it took.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

class Launch {
public:
    // program: the file to execute; argv: its arguments, argv[0] first;
    // environment: "NAME=value" entries; bodyFile: read on standard input
    // (empty: no input at all).
    Launch(std::string program, std::vector<std::string> argv,
           std::vector<std::string> environment, const std::string& bodyFile);
    ~Launch();
    Launch(const Launch&) = delete;
    Launch& operator=(const Launch&) = delete;

    struct Result {
        double microseconds = 0;  // from before fork to after the child was reaped
        int status = -1;          // exit status; 128 + signal when killed
        double cpuMicroseconds = 0;  // user + system time of the child
        long minorFaults = 0;        // page faults served without I/O
    };
    // Runs the program once; its answer lands in `answer`.
    Result Run(std::string& answer) const;
    // Runs the program once, held at its exit to read its peak resident size
    // (VmHWM): the figure of its own image only. ru_maxrss would also count
    // the copy of the benchmark that fork made before the exec.
    long PeakRssKiB(std::string& answer) const;

private:
    // Starts the program as a web server does: the body (or nothing) on standard
    // input, the answer into `answerPipe`, standard error discarded; `traced`
    // stops it after execve for ptrace.
    pid_t Start(int answerPipe, bool traced) const;

    std::string program;
    std::vector<std::string> argvText, envText;
    std::vector<char*> argv, envp;
    int bodyFd = -1;
    int nullFd = -1;
};
