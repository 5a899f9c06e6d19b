// CommandTable.h: the shell tool's commands, one row each, and the usage and
// help written from the rows.
//
// A command is its row: its name, what follows it on the command line, its
// lines in --help, and the function that checks those arguments and runs it.
// main looks the name up here and nowhere else; the usage after a usage
// error and --help list the rows, so a command added here is offered
// everywhere at once.
#pragma once

#include <string>
#include <vector>

// What a command says on standard output, and what holds its change when
// that cannot be said (empty: the command changes nothing).
struct CommandOutput {
    std::string text;
    std::string changed;
};

struct ToolCommand {
    const char* name;
    const char* operands;  // what follows the name, as the usage writes it
    std::string help;      // its lines in --help, '\n' between them
    // Runs the command on the arguments after its name. A usage error is a
    // CommandFailure with ExitUsage, raised before anything is looked at.
    CommandOutput (*run)(const std::vector<std::string>& arguments);
};

// Every command, in the order the usage and the help list them.
const std::vector<ToolCommand>& ToolCommands();

// The row of the command `name`; nullptr when there is none.
const ToolCommand* CommandNamed(const std::string& name);

// The usage lines that follow a usage error: the commands with the same
// operands on one line, "a|b|c OPERANDS".
std::string UsageText();

// What --help prints: the usage, what the tool is for, each command with its
// lines, and what the exit status says.
std::string HelpText();
