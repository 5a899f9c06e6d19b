// Cases.cpp: the version page, the administration form and the configuration
// update, on a small database and on a 512-item one.
#include "Cases.h"

#include "Databases.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>

namespace {

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    if (!file.flush())
        throw std::runtime_error("cannot write " + path);
}

void MakeDir(const std::string& path)
{
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        throw std::runtime_error("cannot create " + path + ": " + std::strerror(errno));
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
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
void InstallDatabase(const std::string& siteDir, const Database& db, BenchCase& bench)
{
    MakeDir(siteDir + "/" + db.name);
    bench.databaseFile = siteDir + "/" + db.name + "/" + db.name + ".ini";
    bench.pristineText = IniText(db);
    RestoreDatabase(bench);
}

BenchCase EntranceCase(const std::string& siteDir, const std::string& name, const Database& db)
{
    BenchCase bench = PostCase(siteDir, name,
                               "DBName=" + db.name + "&act=entrance&password=" + AdminPassword);
    bench.expect = "Administration Page</font></h1>";
    const EntryItem& last = db.items.back();
    bench.expectWhole = "\n" + last.name + "," + std::to_string(last.length) + "," + last.type +
                        "\n</textarea>";
    InstallDatabase(siteDir, db, bench);
    return bench;
}

BenchCase ConfigureCase(const std::string& siteDir, const std::string& name, const Database& db)
{
    Database submitted = db;
    // The owner changed two settings.
    submitted.smtpServer = "mail.example.net";
    submitted.entriesPerPage = 25;
    BenchCase bench = PostCase(siteDir, name, ConfigureBody(submitted, AdminPassword));
    bench.expect = "has been updated";
    bench.writtenLine = "\nSMTP server=" + submitted.smtpServer + "\n";
    InstallDatabase(siteDir, db, bench);
    return bench;
}

}  // namespace

std::vector<BenchCase> PrepareCases(const std::string& siteDir)
{
    MakeDir(siteDir + "/../requests");
    Database small = SmallDatabase();
    Database wide = WideDatabase();

    BenchCase version;
    version.name = "version";
    version.environment = CgiEnvironment(siteDir, "GET", "act=version", 0);
    version.expect = "The version of ZEP on this server is 5.31.";

    std::vector<BenchCase> cases = {
        version,
        EntranceCase(siteDir, "entrance small", small),
        EntranceCase(siteDir, "entrance 512 items", wide),
        ConfigureCase(siteDir, "Configure small", small),
        ConfigureCase(siteDir, "Configure 512 items", wide),
    };
    const double targets[] = {1.1, 1.3, 1.6, 1.6, 2.5};
    for (size_t i = 0; i < cases.size(); ++i)
        cases[i].targetRatio = targets[i];
    return cases;
}

void RestoreDatabase(const BenchCase& bench)
{
    if (!bench.databaseFile.empty())
        WriteFile(bench.databaseFile, bench.pristineText);
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
