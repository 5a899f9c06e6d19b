// Cases.h: the requests the benchmark times, each with the answer it must give.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct BenchCase {
    std::string name;
    double targetRatio = 0;                // highest acceptable ratio to the floor
    long long targetInstructions = 0;      // most instructions a request may take; 0: no target
    // A target in runs of another case: `instructionsTimes` times the
    // instructions measured for the case named `instructionsOf`, in place of
    // targetInstructions whenever that case is measured in the same run.
    std::string instructionsOf;
    double instructionsTimes = 0;
    int runs = 0;                          // timed runs of a long case; 0: as many as asked for
    bool countInstructions = true;         // false: too long for callgrind
    long peakLimitKiB = 0;                 // most peak memory; 0: the limit of every request; -1: none
    bool durable = false;                  // timed against the durable-update floor
    std::vector<std::string> environment;  // the CGI variables, "NAME=value"
    std::string bodyFile;                  // the POST body; empty for GET
    std::string expect;                    // text the answer must hold
    std::string expectWhole;               // text a complete answer holds (noted when absent)
    std::string databaseFile;              // rewritten from pristineText before every run
    std::shared_ptr<const std::string> pristineText;
    std::string historyFolder;             // put back from pristineHistory (hard links) before every run
    std::string pristineHistory;
    std::string writtenLine;               // line the database file must hold after the run
};

// Writes the databases and request bodies under siteDir (where the programs
// lie) and returns the cases in table order.
std::vector<BenchCase> PrepareCases(const std::string& siteDir);

// Puts the case's database file back as it was before any run.
void RestoreDatabase(const BenchCase& bench);

// Why a run's answer is not the one the case asks for; empty when it is.
std::string WrongAnswer(const BenchCase& bench, const std::string& answer, int status);
