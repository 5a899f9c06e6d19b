// Cases.cpp: the version page, the administration form and the configuration
// update, on a small database and on a 512-item one.
#include "Cases.h"

#include "Databases.h"
#include "support/Fixture.h"
#include "support/Form.h"
#include "support/Launch.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>

namespace {

// The keys of the two changes of many keys in one section, and the size of
// the large file of the history pages' memory.
constexpr int ManyKeysFew = 25000, ManyKeysMany = 250000;
constexpr int LargeFileMebibytes = 56;

void MakeDir(const std::string& path)
{
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        throw std::runtime_error("cannot create " + path + ": " + std::strerror(errno));
}

// What a web server puts in the environment of every CGI program it starts.
std::vector<std::string> CgiEnvironment(const std::string& siteDir, const std::string& method,
                                        const std::string& query, size_t contentLength)
{
    std::vector<std::string> env = {
        "GATEWAY_INTERFACE=CGI/1.1",
        "SERVER_SOFTWARE=bench-httpd/1.0",
        "SERVER_NAME=www.example.com",
        "SERVER_PORT=80",
        "SERVER_PROTOCOL=HTTP/1.1",
        "REMOTE_ADDR=192.0.2.10",
        "SCRIPT_NAME=/cgi-bin/zephconf",
        "SCRIPT_FILENAME=" + siteDir + "/zephconf",
        "REQUEST_METHOD=" + method,
        "QUERY_STRING=" + query,
    };
    if (method == "POST") {
        env.push_back("CONTENT_TYPE=application/x-www-form-urlencoded");
        env.push_back("CONTENT_LENGTH=" + std::to_string(contentLength));
    }
    return env;
}

BenchCase PostCase(const std::string& siteDir, const std::string& name, const std::string& body)
{
    BenchCase bench;
    bench.name = name;
    std::string fileName = name;
    for (char& c : fileName)
        if (c == ' ')
            c = '-';
    bench.bodyFile = siteDir + "/../requests/" + fileName + ".body";
    WriteFile(bench.bodyFile, body);
    bench.environment = CgiEnvironment(siteDir, "POST", "", body.size());
    return bench;
}

// The database's folder beside the program, with its initialisation file.
void InstallDatabase(const std::string& siteDir, const std::string& dbName, const std::string& ini,
                     BenchCase& bench)
{
    MakeDir(siteDir + "/" + dbName);
    bench.databaseFile = siteDir + "/" + dbName + "/" + dbName + ".ini";
    bench.pristineText = std::make_shared<const std::string>(ini);
    RestoreDatabase(bench);
}

std::string EntranceBody(const std::string& dbName)
{
    return "DBName=" + dbName + "&act=entrance&password=" + UrlEncode(FixturePassword());
}

BenchCase EntranceCase(const std::string& siteDir, const std::string& name, const std::string& dbName,
                       const std::string& ini)
{
    BenchCase bench = PostCase(siteDir, name, EntranceBody(dbName));
    bench.expect = "Administration Page</font></h1>";
    bench.expectWhole = "\n" + LastItemLine(ini) + "\n</textarea>";
    InstallDatabase(siteDir, dbName, ini, bench);
    return bench;
}

// The administration form the program serves for the database.
std::vector<FormControl> ServedForm(const std::string& siteDir, const std::string& dbName,
                                    const std::string& ini)
{
    BenchCase installed;
    InstallDatabase(siteDir, dbName, ini, installed);
    const std::string program = siteDir + "/zephconf";
    Launch launch(program, {program}, CgiEnvironment(siteDir, "GET", EntranceBody(dbName), 0));
    ProgramAnswer page;
    launch.Run(page);
    std::vector<FormControl> controls = FormControls(page.output);
    if (page.status != 0 || controls.empty())
        throw std::runtime_error("no administration form for " + dbName + ":\n" + page.output.substr(0, 600));
    return controls;
}

// The form the program serves, submitted with two settings changed by the owner.
BenchCase ConfigureCase(const std::string& siteDir, const std::string& name, const std::string& dbName,
                        const std::string& ini)
{
    std::vector<FormControl> controls = ServedForm(siteDir, dbName, ini);
    const std::string smtpServer = "mail.example.net";
    ControlNamed(controls, "SMTP").value = smtpServer;
    ControlNamed(controls, "MaxNumber").value = "25";
    ControlNamed(controls, "password").value = FixturePassword();
    BenchCase bench = PostCase(siteDir, name, FormBody(SubmittedFields(controls)));
    bench.expect = "has been updated";
    bench.writtenLine = "\nSMTP server=" + smtpServer + "\n";
    InstallDatabase(siteDir, dbName, ini, bench);
    return bench;
}

// Ten saves of the served form, each a setting changed, made through the
// program itself: the database's ten newest changes kept. The versions'
// names, oldest first.
std::vector<std::string> MakeHistory(const std::string& siteDir, const std::string& dbName, const std::string& ini)
{
    const std::string history = siteDir + "/" + dbName + "/zephconf-history";
    std::filesystem::remove_all(history);
    std::vector<FormControl> controls = ServedForm(siteDir, dbName, ini);
    ControlNamed(controls, "password").value = FixturePassword();
    const std::string program = siteDir + "/zephconf";
    for (int save = 1; save <= 10; ++save) {
        ControlNamed(controls, "SMTP").value = "mail-" + std::to_string(save) + ".example.net";
        const std::string body = FormBody(SubmittedFields(controls));
        Launch launch(program, {program}, CgiEnvironment(siteDir, "POST", "", body.size()));
        launch.SetInput(body);
        ProgramAnswer answer;
        launch.Run(answer);
        if (answer.status != 0)
            throw std::runtime_error("save " + std::to_string(save) + " of " + dbName + " refused:\n" +
                                     answer.output.substr(0, 600));
    }
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(history))
        names.push_back(entry.path().filename().string());
    // In the order of their times (within one second the counters' text order).
    std::sort(names.begin(), names.end());
    return names;
}

// A request of the history pages on a database whose history MakeHistory made.
BenchCase HistoryPageCase(const std::string& siteDir, const std::string& name, const std::string& dbName,
                          const std::string& fields, const std::string& expect)
{
    BenchCase bench = PostCase(siteDir, name, "DBName=" + dbName + "&" + fields + "&password=" +
                                                  UrlEncode(FixturePassword()));
    bench.expect = expect;
    bench.databaseFile = siteDir + "/" + dbName + "/" + dbName + ".ini";
    bench.pristineText = std::make_shared<const std::string>(ReadFile(bench.databaseFile));
    return bench;
}

// The history page of a database whose ten newest changes are kept. The
// page reads every version and compares each with the one after it.
BenchCase HistoryCase(const std::string& siteDir, const std::string& name, const std::string& dbName,
                      const std::string& ini)
{
    MakeHistory(siteDir, dbName, ini);
    BenchCase bench = HistoryPageCase(siteDir, name, dbName, "act=history", "Configuration history of");
    bench.expectWhole = "</table>";
    return bench;
}

// Every history page of a large file with ten versions, and a restore: what
// each holds in memory at its peak, at most three times the file and 4 MiB
// (the file's content, the two being compared). Too long for callgrind.
std::vector<BenchCase> LargeHistoryCases(const std::string& siteDir, int mebibytes)
{
    const std::string dbName = "large";
    const std::string ini = LargeIni(mebibytes);
    const std::vector<std::string> versions = MakeHistory(siteDir, dbName, ini);
    const std::string middle = UrlEncode(versions[versions.size() / 2]);
    const std::string size = std::to_string(mebibytes) + " MiB";
    std::vector<BenchCase> cases = {
        HistoryPageCase(siteDir, "history list " + size, dbName, "act=history", "Configuration history of"),
        HistoryPageCase(siteDir, "history changes " + size, dbName, "act=history&changes=" + middle, "Changes to"),
        HistoryPageCase(siteDir, "history confirm " + size, dbName, "act=history&restore=" + middle,
                        "Undo a change to"),
        HistoryPageCase(siteDir, "restore " + size, dbName, "act=restore&version=" + middle,
                        "Configuration restored:"),
    };
    // A restore adds a version and removes the oldest: the history is put
    // back before each run, from hard links to its versions.
    const std::string history = siteDir + "/" + dbName + "/zephconf-history";
    const std::string pristine = siteDir + "/" + dbName + "-history-pristine";
    std::filesystem::remove_all(pristine);
    std::filesystem::create_directory(pristine);
    for (const std::string& version : versions)
        std::filesystem::create_hard_link(history + "/" + version, pristine + "/" + version);
    const long fileKiB = static_cast<long>(ini.size() / 1024);
    for (BenchCase& bench : cases) {
        bench.runs = 3;
        bench.countInstructions = false;
        bench.peakLimitKiB = 3 * fileKiB + 4 * 1024;
        bench.historyFolder = history;
        bench.pristineHistory = pristine;
    }
    return cases;
}

}  // namespace

std::vector<BenchCase> PrepareCases(const std::string& siteDir)
{
    MakeDir(siteDir + "/../requests");
    const std::string small = SmallDatabaseIni();
    const std::string wide = WideDatabaseIni();

    BenchCase version;
    version.name = "version";
    version.environment = CgiEnvironment(siteDir, "GET", "act=version", 0);
    version.expect = "The version of ZEP on this server is " ZEPH_VERSION ".";

    const std::string fewKeys = ManyKeysIni(ManyKeysFew), manyKeys = ManyKeysIni(ManyKeysMany);
    std::vector<BenchCase> cases = {
        version,
        EntranceCase(siteDir, "entrance small", FixtureName, small),
        EntranceCase(siteDir, "entrance 512 items", "catalog", wide),
        ConfigureCase(siteDir, "Configure small", FixtureName, small),
        ConfigureCase(siteDir, "Configure 512 items", "catalog", wide),
        HistoryCase(siteDir, "history 512 items", "cataloghistory", wide),
        ConfigureCase(siteDir, "Configure 25,000 keys", "fewkeys", fewKeys),
        ConfigureCase(siteDir, "Configure 250,000 keys", "manykeys", manyKeys),
    };
    // The ratios of the updates are to the durable-update floor.
    // The history page of ten versions costs at most two 512-item entrances
    // (two of its guards when the entrance is not measured with it).
    // The changes of many keys have no time target of their own (0).
    const double ratios[] = {1.1, 1.2, 1.5, 1.2, 1.3, 3.0, 0, 0};
    // The updates' guards leave room for the digest of the content each
    // replaces (which spares the history list ten) and for the sign-in its page
    // carries (an HMAC-SHA-256, four blocks).
    const long long instructions[] = {0, 250000, 900000, 440000, 1600000, 2 * 900000, 0, 0};
    for (size_t i = 0; i < cases.size(); ++i) {
        cases[i].targetRatio = ratios[i];
        cases[i].targetInstructions = instructions[i];
        cases[i].durable = !cases[i].writtenLine.empty();
    }
    // Measured with the entrance, the history page's target is two of its runs.
    cases[5].instructionsOf = "entrance 512 items";
    cases[5].instructionsTimes = 2;
    // A change of ten times the keys costs ten times as much, within a tenth:
    // no more per byte.
    // Their memory is that of any change of so large a file, no target here.
    cases[6].runs = 20;
    cases[7].runs = 5;
    cases[6].peakLimitKiB = cases[7].peakLimitKiB = -1;
    cases[7].instructionsOf = cases[6].name;
    cases[7].instructionsTimes = 1.1 * static_cast<double>(manyKeys.size()) / static_cast<double>(fewKeys.size());
    for (BenchCase& large : LargeHistoryCases(siteDir, LargeFileMebibytes))
        cases.push_back(std::move(large));
    return cases;
}

void RestoreDatabase(const BenchCase& bench)
{
    if (!bench.databaseFile.empty())
        WriteFile(bench.databaseFile, *bench.pristineText);
    if (!bench.historyFolder.empty()) {
        std::filesystem::remove_all(bench.historyFolder);
        std::filesystem::create_directory(bench.historyFolder, bench.pristineHistory);
        std::filesystem::permissions(bench.historyFolder, std::filesystem::perms::owner_all);
        for (const auto& entry : std::filesystem::directory_iterator(bench.pristineHistory))
            std::filesystem::create_hard_link(entry.path(), bench.historyFolder + "/" + entry.path().filename().string());
    }
}

std::string WrongAnswer(const BenchCase& bench, const std::string& answer, int status)
{
    if (status != 0)
        return "exit status " + std::to_string(status);
    if (answer.find(bench.expect) == std::string::npos)
        return "the answer lacks \"" + bench.expect + "\"";
    if (!bench.writtenLine.empty() &&
        ReadFile(bench.databaseFile).find(bench.writtenLine) == std::string::npos)
        return "the database file was not updated";
    return "";
}
