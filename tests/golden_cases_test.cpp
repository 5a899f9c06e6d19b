// golden_cases_test.cpp: every folder tests/<subsystem>/cases/<case>/ is one
// request run through the real executable, compared byte for byte.
//
//   request   CGI variables as NAME=value lines, an empty line, then the body
//             (standard input). ARGV0 and CWD set argv[0] and the working
//             directory (default: @SITE@/zephconf and @SITE@). For POST,
//             CONTENT_LENGTH is the body's size unless given; "(unset)" drops it.
//   site/     the files the run starts with (copied beside the program into a
//             fresh folder, @SITE@: a Site)
//   answer    the expected standard output (@SITE@ stands for that folder)
//   status    the expected exit status (0 when absent)
//   stderr    the expected standard error (empty when absent); @TIME@ stands
//             for a time YYYY-MM-DDTHH:MM:SSZ at the start of a line
//   result/   the expected files afterwards, the program aside; when absent,
//             site/ must be unchanged (a kept version's time in its name is @TIME@,
//             a database's sign-in key, random bytes, is @SIGNIN-KEY@)
//
// In the answer, a kept version's time in its name is @TIME@ too, and a
// sign-in carried in a form (it holds its time and a MAC under that random
// key) is @SIGNIN@.
//
// ZEPH_UPDATE_GOLDEN=1 rewrites answer, status, stderr and result/ from the actual run;
// read the diff before committing it.
#include "support/Site.h"

#include "admin/PageShell.h"
#include "files/SigninKey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// `text` with every time stamp that starts a line (YYYY-MM-DDTHH:MM:SSZ)
// replaced by @TIME@: the run's own time is never the expected one.
std::string MaskLineTimes(const std::string& text)
{
    const std::string shape = "dddd-dd-ddTdd:dd:ddZ";
    std::string masked;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(start, end - start);
        bool stamped = line.size() >= shape.size();
        for (size_t i = 0; stamped && i < shape.size(); ++i)
            stamped = shape[i] == 'd' ? std::isdigit(static_cast<unsigned char>(line[i])) != 0
                                      : line[i] == shape[i];
        masked += stamped ? "@TIME@" + line.substr(shape.size()) : line;
        start = end;
    }
    return masked;
}

// The relative path with the time in the name of a kept version (in a
// history folder, "NAME.ini.20261210T164132Z.…") as @TIME@: the run's own
// time is never the expected one.
std::string MaskVersionTime(const std::string& path)
{
    static const std::regex version(R"((^|/)(zephconf-history/[^/]+\.)\d{8}T\d{6}Z)");
    return std::regex_replace(path, version, "$1$2@TIME@");
}

// The answer with what depends on the run's time or random bytes masked:
// a kept version's time in its name, and the sign-in a form carries.
std::string MaskAnswer(const std::string& answer)
{
    static const std::regex versionTime(R"((\.ini\.)\d{8}T\d{6}Z)");
    static const std::regex signin("(name=\"" + std::string(SigninField) + "\" value=\")\\d+\\.[0-9a-f]{64}\"");
    return std::regex_replace(std::regex_replace(answer, versionTime, "$1@TIME@"), signin, "$1@SIGNIN@\"");
}

// Relative path -> bytes of every regular file under `root`, but `leftOut`.
std::map<std::string, std::string> ReadTree(const fs::path& root, const fs::path& leftOut = {})
{
    std::map<std::string, std::string> tree;
    if (!fs::exists(root))
        return tree;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file() && entry.path() != leftOut)
            tree[MaskVersionTime(fs::relative(entry.path(), root).generic_string())] =
                entry.path().filename() == SigninKeyName && entry.file_size() == SigninKeyLength
                    ? "@SIGNIN-KEY@\n" : ReadFile(entry.path());
    return tree;
}

void WriteTree(const fs::path& root, const std::map<std::string, std::string>& tree)
{
    fs::remove_all(root);
    for (const auto& [name, bytes] : tree) {
        fs::create_directories((root / name).parent_path());
        WriteFile(root / name, bytes);
    }
}

ProgramRun ParseRequest(const std::string& text, const std::string& site)
{
    ProgramRun run;
    run.workingDir = site;
    std::istringstream lines(text);
    std::string line;
    size_t consumed = 0;
    bool lengthGiven = false;
    while (std::getline(lines, line)) {
        consumed += line.size() + 1;
        if (line.empty())
            break;
        if (line[0] == '#')
            continue;
        size_t eq = line.find('=');
        std::string name = line.substr(0, eq);
        std::string value = eq == std::string::npos ? "" : Replace(line.substr(eq + 1), "@SITE@", site);
        if (name == "ARGV0")
            run.argv0 = value;
        else if (name == "CWD")
            run.workingDir = value;
        else if (name == "CONTENT_LENGTH") {
            lengthGiven = true;
            if (value != "(unset)")
                run.environment.emplace_back(name, value);
        } else
            run.environment.emplace_back(name, value);
    }
    if (consumed < text.size())
        run.body = text.substr(consumed);
    bool post = std::any_of(run.environment.begin(), run.environment.end(),
                            [](const auto& v) { return v.first == "REQUEST_METHOD" && v.second == "POST"; });
    if (post && !lengthGiven)
        run.environment.emplace_back("CONTENT_LENGTH", std::to_string(run.body.size()));
    return run;
}

std::vector<std::string> FindCases()
{
    std::vector<std::string> cases;
    for (const auto& folder : fs::directory_iterator(ZEPH_TESTS_DIR)) {
        fs::path root = folder.path() / "cases";
        if (!fs::is_directory(root))
            continue;
        for (const auto& one : fs::directory_iterator(root))
            if (fs::exists(one.path() / "request"))
                cases.push_back(fs::relative(one.path(), ZEPH_TESTS_DIR).generic_string());
    }
    std::sort(cases.begin(), cases.end());
    return cases;
}

class GoldenCase : public testing::TestWithParam<std::string> {};

TEST_P(GoldenCase, AnswerAndFilesMatch)
{
    const fs::path dir = fs::path(ZEPH_TESTS_DIR) / GetParam();
    const Site files(SiteFiles{dir / "site"});
    const std::string site = files.dir.path().string();

    const ProgramAnswer answer = files.Run(ParseRequest(ReadFile(dir / "request"), site));
    std::string answerText = MaskAnswer(Replace(answer.output, site, "@SITE@"));
    std::string errorText = MaskLineTimes(Replace(answer.errors, site, "@SITE@"));
    auto after = ReadTree(site, files.program);

    if (std::getenv("ZEPH_UPDATE_GOLDEN") != nullptr) {
        WriteFile(dir / "answer", answerText);
        if (answer.status != 0)
            WriteFile(dir / "status", std::to_string(answer.status) + "\n");
        else
            fs::remove(dir / "status");
        if (!errorText.empty())
            WriteFile(dir / "stderr", errorText);
        else
            fs::remove(dir / "stderr");
        if (after != ReadTree(dir / "site"))
            WriteTree(dir / "result", after);
        else
            fs::remove_all(dir / "result");
        return;
    }

    int expectedStatus = fs::exists(dir / "status") ? std::stoi(ReadFile(dir / "status")) : 0;
    EXPECT_EQ(ReadFile(dir / "answer"), answerText);
    EXPECT_EQ(expectedStatus, answer.status);
    EXPECT_EQ(fs::exists(dir / "stderr") ? ReadFile(dir / "stderr") : "", errorText);
    const fs::path expectedTree = fs::exists(dir / "result") ? dir / "result" : dir / "site";
    auto expected = ReadTree(expectedTree);
    EXPECT_EQ(expected.size(), after.size()) << "files were added or removed";
    for (const auto& [name, bytes] : expected) {
        auto found = after.find(name);
        ASSERT_NE(found, after.end()) << name << " is missing after the run";
        EXPECT_EQ(bytes, found->second) << "content of " << name;
    }
}

std::string CaseName(const testing::TestParamInfo<std::string>& info)
{
    std::string name = info.param;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Requests, GoldenCase, testing::ValuesIn(FindCases()), CaseName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GoldenCase);
