// main.cpp: the request benchmark. Starts zephconf and a floor program
// alternately, the way a web server starts them, and prints per case the
// median wall time, its ratio to the floor measured in the same rounds, the
// instructions executed and the peak resident memory. The floor is the
// cheapest possible CGI answer, or for a request that changes the database
// file the cheapest durable update of it that keeps what it replaces (the
// same bytes written to two new files, synced and renamed, one over it and
// one into a folder beside it, the folder synced).
//
// bench-tool --site DIR --floor PATH --durable-floor PATH [--valgrind PATH]
//            [--runs N] [--detail 1] [--only CASE]
// DIR holds zephconf; the databases are written beside it. --detail adds CPU
// time and page faults per request and --only times one case alone, to see
// where the time goes.
#include "Cases.h"
#include "Instructions.h"
#include "support/Launch.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr long PeakRssLimitKiB = 4 * 1024;
constexpr int WarmUpRounds = 10;

struct Options {
    std::string site, floor, durableFloor, valgrind;
    int runs = 300;
    bool detail = false;
    std::string only;  // a case name: time that case alone (for profiling)
};

Options ParseOptions(int argc, char** argv)
{
    Options options;
    if (argc % 2 == 0) {
        std::fprintf(stderr, "every option takes a value: %s\n", argv[argc - 1]);
        std::exit(2);
    }
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string name = argv[i], value = argv[i + 1];
        if (name == "--site") options.site = value;
        else if (name == "--floor") options.floor = value;
        else if (name == "--durable-floor") options.durableFloor = value;
        else if (name == "--valgrind") options.valgrind = value;
        else if (name == "--runs") options.runs = std::max(1, std::atoi(value.c_str()));
        else if (name == "--detail") options.detail = value != "0";
        else if (name == "--only") options.only = value;
        else {
            std::fprintf(stderr, "unknown option %s\n", name.c_str());
            std::exit(2);
        }
    }
    if (options.site.empty() || options.floor.empty() || options.durableFloor.empty()) {
        std::fprintf(stderr, "usage: %s --site DIR --floor PATH --durable-floor PATH [--valgrind PATH] "
                             "[--runs N] [--detail 1] [--only CASE]\n", argv[0]);
        std::exit(2);
    }
    return options;
}

// The one-minute load average: timings taken on a busy machine scatter.
std::string LoadAverage()
{
    double load = -1;
    if (FILE* file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf", &load) != 1)
            load = -1;
        std::fclose(file);
    }
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", load);
    return text;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Each run against the floor run just before it: slow drifts of the machine's
// load fall on both and cancel.
double PairedRatio(const std::vector<double>& runs, const std::vector<double>& floorRuns)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < runs.size(); ++i)
        ratios.push_back(runs[i] / std::max(floorRuns[i], 1.0));
    return Median(ratios);
}

struct Samples {
    std::vector<double> wall, cpu, faults;
    void Add(const Launch::Cost& cost)
    {
        wall.push_back(cost.microseconds);
        cpu.push_back(cost.cpuMicroseconds);
        faults.push_back(static_cast<double>(cost.minorFaults));
    }
};

struct Measured {
    BenchCase bench;
    std::unique_ptr<Launch> program, floor;
    Samples runs, floorRuns;
    std::string wrong;          // why the case's answer is wrong; empty when right
    bool incomplete = false;    // the answer lacks expectWhole
    long peakRssKiB = 0;
    long long instructions = -1;
};

// The command a case's floor runs: the durable floor rewrites the case's
// database file and keeps its content in a folder beside it, as an update
// that keeps what it replaces does (two files written, synced and renamed,
// one folder sync).
std::vector<std::string> FloorCommand(const Options& options, const BenchCase& bench)
{
    if (bench.durable)
        return {options.durableFloor, bench.databaseFile,
                bench.databaseFile.substr(0, bench.databaseFile.rfind('/')) + "/floor-history"};
    return {options.floor};
}

// The command started for the case the way a web server starts a CGI program:
// by its absolute path, the body (if any) on standard input.
std::unique_ptr<Launch> LaunchFor(const std::vector<std::string>& command, const BenchCase& bench)
{
    auto launch = std::make_unique<Launch>(command.front(), command, bench.environment);
    if (!bench.bodyFile.empty())
        launch->SetInputFile(bench.bodyFile);
    return launch;
}

// One run of the case; records what is wrong with its answer.
Launch::Cost RunChecked(Measured& m)
{
    static ProgramAnswer answer;
    RestoreDatabase(m.bench);
    Launch::Cost cost = m.program->Run(answer);
    if (m.wrong.empty()) {
        m.wrong = WrongAnswer(m.bench, answer.output, answer.status);
        if (!m.wrong.empty()) {
            std::fprintf(stderr, "%s: %s; the answer begins:\n%.600s\n", m.bench.name.c_str(),
                         m.wrong.c_str(), answer.output.c_str());
        }
        if (!m.bench.expectWhole.empty() && answer.output.find(m.bench.expectWhole) == std::string::npos)
            m.incomplete = true;
    }
    return cost;
}

Launch::Cost RunFloor(Measured& m)
{
    static ProgramAnswer answer;
    Launch::Cost cost = m.floor->Run(answer);
    if (answer.status != 0 || answer.output != "Content-type: text/html\n\n") {
        std::fprintf(stderr, "the floor program answered wrongly (status %d)\n", answer.status);
        std::exit(1);
    }
    return cost;
}

// The largest peak resident size of a few runs.
long PeakRss(const Launch& launch, const BenchCase* bench)
{
    ProgramAnswer answer;
    long peak = 0;
    for (int i = 0; i < 5; ++i) {
        if (bench != nullptr)
            RestoreDatabase(*bench);
        peak = std::max(peak, launch.PeakRssKiB(answer));
    }
    return peak;
}

// A floor's row: its runs, instructions and peak memory.
struct FloorFigures {
    Samples runs;
    long long instructions = -1;
    long peakRssKiB = 0;
};

bool PrintTable(const std::vector<Measured>& all, const FloorFigures& floor, const FloorFigures& durable)
{
    bool allMet = true;
    std::printf("\n%-24s %10s %7s %7s %14s %10s %13s  %s\n", "case", "median µs", "ratio", "target",
                "instructions", "target", "peak RSS KiB", "verdict");
    for (const auto& [name, figures] : {std::make_pair("floor (static C)", &floor),
                                         std::make_pair("durable floor, 2 files", &durable)}) {
        if (!figures->runs.wall.empty())
            std::printf("%-24s %10.0f %7.2f %7s %14lld %10s %13ld\n", name, Median(figures->runs.wall), 1.0, "",
                        figures->instructions, "", figures->peakRssKiB);
    }
    for (const Measured& m : all) {
        const std::string instructionTarget =
            m.bench.targetInstructions > 0 ? std::to_string(m.bench.targetInstructions) : "";
        if (!m.wrong.empty()) {
            std::printf("%-24s %10s %7s %6.2fx %14s %10s %13s  WRONG ANSWER: %s\n",
                        m.bench.name.c_str(), "-", "-", m.bench.targetRatio, "-", instructionTarget.c_str(), "-",
                        m.wrong.c_str());
            allMet = false;
            continue;
        }
        double ratio = PairedRatio(m.runs.wall, m.floorRuns.wall);
        const bool timeMet = m.bench.targetRatio == 0 || ratio <= m.bench.targetRatio;
        const bool instructionsMet = m.bench.targetInstructions == 0 || m.instructions < 0
                                     || m.instructions <= m.bench.targetInstructions;
        const long memoryLimit = m.bench.peakLimitKiB != 0 ? m.bench.peakLimitKiB : PeakRssLimitKiB;
        const bool memoryMet = memoryLimit < 0 || m.peakRssKiB <= memoryLimit;
        std::string verdict = timeMet && instructionsMet && memoryMet ? "ok" : "MISSED";
        if (!timeMet)
            verdict += " (time)";
        if (!instructionsMet)
            verdict += " (instructions)";
        if (!memoryMet)
            verdict += " (memory)";
        if (memoryLimit < 0)
            verdict += "; no memory limit";
        else if (m.bench.peakLimitKiB > 0)
            verdict += "; memory limit " + std::to_string(m.bench.peakLimitKiB) + " KiB";
        if (m.bench.durable)
            verdict += "; against the durable floor";
        if (m.incomplete)
            verdict += "; note: the answer does not list every item";
        allMet = allMet && timeMet && instructionsMet && memoryMet;
        std::printf("%-24s %10.0f %7.2f %6.2fx %14lld %10s %13ld  %s\n", m.bench.name.c_str(),
                    Median(m.runs.wall), ratio, m.bench.targetRatio, m.instructions, instructionTarget.c_str(),
                    m.peakRssKiB, verdict.c_str());
    }
    return allMet;
}

void PrintDetail(const std::vector<Measured>& all, const FloorFigures& floor, const FloorFigures& durable)
{
    std::printf("\n%-24s %10s %10s %13s\n", "case", "cpu µs", "cpu ratio", "minor faults");
    for (const auto& [name, figures] : {std::make_pair("floor (static C)", &floor),
                                         std::make_pair("durable floor, 2 files", &durable)}) {
        if (!figures->runs.cpu.empty())
            std::printf("%-24s %10.0f %10.2f %13.0f\n", name, Median(figures->runs.cpu), 1.0,
                        Median(figures->runs.faults));
    }
    for (const Measured& m : all) {
        if (m.wrong.empty())
            std::printf("%-24s %10.0f %10.2f %13.0f\n", m.bench.name.c_str(),
                        Median(m.runs.cpu), PairedRatio(m.runs.cpu, m.floorRuns.cpu),
                        Median(m.runs.faults));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    Options options = ParseOptions(argc, argv);
    const std::string loadBefore = LoadAverage();
    const std::string program = options.site + "/zephconf";

    std::vector<Measured> all;
    for (BenchCase& bench : PrepareCases(options.site)) {
        if (!options.only.empty() && bench.name != options.only)
            continue;
        Measured m;
        m.bench = bench;
        m.program = LaunchFor({program}, bench);
        m.floor = LaunchFor(FloorCommand(options, bench), bench);
        all.push_back(std::move(m));
    }

    std::fprintf(stderr, "==> checking every answer\n");
    for (Measured& m : all)
        RunChecked(m);

    std::fprintf(stderr, "==> timing %d runs per case, each after a run of the floor\n",
                 options.runs);
    FloorFigures floor, durable;
    for (int round = -WarmUpRounds; round < options.runs; ++round) {
        for (Measured& m : all) {
            // A long case runs only its own few rounds, without warming up.
            if (!m.wrong.empty() || (m.bench.runs > 0 && (round < 0 || round >= m.bench.runs)))
                continue;
            // Alternate which of the two goes first, so that whatever the
            // first run of a pair pays falls on both alike.
            Launch::Cost floorCost, cost;
            if (round % 2 == 0) {
                floorCost = RunFloor(m);
                cost = RunChecked(m);
            } else {
                cost = RunChecked(m);
                floorCost = RunFloor(m);
            }
            if (round >= 0) {
                m.floorRuns.Add(floorCost);
                m.runs.Add(cost);
                (m.bench.durable ? durable : floor).runs.Add(floorCost);
            }
        }
    }

    std::fprintf(stderr, "==> peak memory\n");
    for (Measured& m : all) {
        FloorFigures& figures = m.bench.durable ? durable : floor;
        figures.peakRssKiB = std::max(figures.peakRssKiB, PeakRss(*m.floor, &m.bench));
        if (m.wrong.empty())
            m.peakRssKiB = PeakRss(*m.program, &m.bench);
    }

    if (!options.valgrind.empty()) {
        std::fprintf(stderr, "==> instructions (callgrind)\n");
        const std::string profiles = options.site + "/../callgrind";
        for (Measured& m : all) {
            // Each floor once, with the first case that uses it.
            FloorFigures& figures = m.bench.durable ? durable : floor;
            if (figures.instructions < 0) {
                RestoreDatabase(m.bench);
                figures.instructions = CountInstructions(options.valgrind, FloorCommand(options, m.bench),
                                                         m.bench.environment, "",
                                                         profiles + (m.bench.durable ? ".durable-floor.out" : ".floor.out"))
                                           .instructions;
            }
            if (!m.wrong.empty() || !m.bench.countInstructions)
                continue;
            std::string fileName = m.bench.name;
            std::replace(fileName.begin(), fileName.end(), ' ', '-');
            RestoreDatabase(m.bench);
            InstructionCount count = CountInstructions(options.valgrind, {program},
                                                       m.bench.environment, m.bench.bodyFile,
                                                       profiles + "." + fileName + ".out");
            std::string wrong = WrongAnswer(m.bench, count.answer, count.status);
            if (!wrong.empty())
                m.wrong = "under valgrind: " + wrong;
            m.instructions = count.instructions;
        }
    }
    for (Measured& m : all)
        RestoreDatabase(m.bench);
    for (Measured& m : all)
        for (const Measured& other : all)
            if (!m.bench.instructionsOf.empty() && other.bench.name == m.bench.instructionsOf && other.instructions >= 0)
                m.bench.targetInstructions =
                    static_cast<long long>(m.bench.instructionsTimes * static_cast<double>(other.instructions));

    bool allMet = PrintTable(all, floor, durable);
    if (options.detail)
        PrintDetail(all, floor, durable);
    std::printf("\nratio: median over the runs of (run / floor run just before it); "
                "memory limit %ld KiB; load average before and after: %s, %s\n",
                PeakRssLimitKiB, loadBefore.c_str(), LoadAverage().c_str());
    std::printf(allMet ? "every target met\n" : "some targets missed or answers wrong\n");
    return allMet ? 0 : 1;
}
