// Configuration.h: a complete database configuration for the reliability tests:
// the starting file (every key present, so an update rewrites lines in place),
// submissions of the administration form that each carry a distinct complete
// configuration, and the writes an update makes, in their order.
#pragma once

#include <cctype>
#include <string>
#include <utility>
#include <vector>

namespace reliability {

const char* const Password = "Secret";

// Every section and key of a database file, short values.
inline std::string StartingFile()
{
    return "[file]\nhtml path=/db/\nexe full URL=/cgi-bin/zeph.exe\nconfiguration exe full URL=\n"
           "hide files=0\n\n"
           "[contact]\nweb master=owner@example.test\n\n"
           "[password]\nuse password=0\nsearch entry password=\nchange entry password=\n"
           "add entry password=\ncase sensitivity=0\nuse own password=0\nmasterpassword=\n\n"
           "[database entry info]\nentry item number=1\nentry item name=Name\n"
           "entry item data type=string\nentry item DB storage length=20\n"
           "previous entry item name=Name\nprevious entry item DB storage length=20\n"
           "convert old items to new items=0\nmaximum waste entries stored in DB=20\n\n"
           "[time stamp]\nuse time stamp=0\ntime stamp items=\nmaster time stamp=\nmode=\nobsolete=0\n\n"
           "[search options]\nfound entries per page=20\ntotal pages per section=10\n"
           "maximum found entries returned in search=100\n\n"
           "[formatted csv file options]\nuse csv file=0\ndisplay=\nsort=\n\n"
           "[Administration]\nEnable Remote Administration=1\nAdministration password=Secret\n"
           "Administration help page URL=/help/adminhlp.html\n\n"
           "[report]\nhit count=0\nhit counting item=\nhits report interval (in days)=7\n"
           "report top x hits and x (max:100)=10\nerror report=0\nstat report=0\nSMTP server=\n"
           "report sender=\nreport receiver=\nStats subject=\nError subject=\n"
           "Last stat report time (program generated, do not edit!)=0\n\n"
           "[conversion]\ndatabase source=\noutput format=\nseparation charcter=,\n\n";
}

struct Write {
    std::string section, key, value;
};

struct Submission {
    std::vector<std::pair<std::string, std::string>> fields;  // decoded form fields
    std::vector<Write> writes;                                // what an update writes, in order
};

// The form's settings rows: field, kind ('f' flag, 't' text, 'c' count), section, key.
struct SettingRow {
    const char* field;
    char kind;
    const char* section;
    const char* key;
};

inline const std::vector<SettingRow>& SettingRows()
{
    static const std::vector<SettingRow> rows = {
        {"ConvertNew", 'f', "database entry info", "convert old items to new items"},
        {"Waste", 't', "database entry info", "maximum waste entries stored in DB"},
        {"HtmlURL", 't', "file", "html path"},
        {"DBURL", 't', "file", "exe full URL"},
        {"ConfURL", 't', "file", "configuration exe full URL"},
        {"HelpURL", 't', "Administration", "Administration help page URL"},
        {"Hide", 'f', "file", "hide files"},
        {"EMail", 't', "contact", "web master"},
        {"OldDBPath", 't', "conversion", "database source"},
        {"DBFormat", 't', "conversion", "output format"},
        {"SChar", 't', "conversion", "separation charcter"},
        {"UseCSV", 'f', "formatted csv file options", "use csv file"},
        {"CSVItem", 't', "formatted csv file options", "display"},
        {"CSVSort", 't', "formatted csv file options", "sort"},
        {"UsePasswd", 'f', "password", "use password"},
        {"SearchPasswd", 't', "password", "search entry password"},
        {"ChangePasswd", 't', "password", "change entry password"},
        {"AddPasswd", 't', "password", "add entry password"},
        {"CaseSensitivity", 'f', "password", "case sensitivity"},
        {"OwnPasswd", 'f', "password", "use own password"},
        {"MasterPasswd", 't', "password", "masterpassword"},
        {"MaxNumber", 'c', "search options", "found entries per page"},
        {"PagePerSec", 'c', "search options", "total pages per section"},
        {"MaxFoundNumber", 'c', "search options", "maximum found entries returned in search"},
        {"UseStamp", 'f', "time stamp", "use time stamp"},
        {"StampIndex", 't', "time stamp", "time stamp items"},
        {"MasterStamp", 't', "time stamp", "master time stamp"},
        {"TimeFormat", 't', "time stamp", "mode"},
        {"EntryLife", 't', "time stamp", "obsolete"},
        {"UseCount", 'f', "report", "hit count"},
        {"CountItem", 't', "report", "hit counting item"},
        {"CountInt", 't', "report", "hits report interval (in days)"},
        {"TopCount", 't', "report", "report top x hits and x (max:100)"},
        {"ReportError", 'f', "report", "error report"},
        {"ReportStat", 'f', "report", "stat report"},
        {"SMTP", 't', "report", "SMTP server"},
        {"Sender", 't', "report", "report sender"},
        {"Receiver", 't', "report", "report receiver"},
        {"StatSub", 't', "report", "Stats subject"},
        {"ErrorSub", 't', "report", "Error subject"},
    };
    return rows;
}

// Submission number `id`: every value differs from the starting file's and
// from every other submission's; `padding` makes the text values longer, so
// the file grows.
inline Submission MakeSubmission(int id, size_t padding = 0)
{
    const std::string tag = std::to_string(id);
    const std::string pad(padding, 'x');
    Submission s;
    s.fields = {{"act", "Configure"}, {"DBName", "shop"}, {"password", Password}};

    const std::string items = "Name" + tag + ",40,string\r\nAge,3,number\r\nBorn,12,time\r\n";
    s.fields.emplace_back("iteminfo", items);
    s.fields.emplace_back("previtem", "Name" + tag + ",20\r\n");
    const std::string section = "database entry info";
    s.writes = {{section, "entry item number", "3"},
                {section, "entry item name", "Name" + tag + ",Age,Born"},
                {section, "entry item data type", "string,number,time"},
                {section, "entry item DB storage length", "40,3,12"},
                {section, "previous entry item name", "Name" + tag},
                {section, "previous entry item DB storage length", "20"}};

    int row = 0;
    for (const SettingRow& setting : SettingRows()) {
        ++row;
        std::string value;
        if (setting.kind == 'f') {
            // Flags alternate with the submission, so consecutive ones differ.
            bool on = (id + row) % 2 == 0;
            if (on)
                s.fields.emplace_back(setting.field, "1");
            value = on ? "1" : "0";
        } else if (setting.kind == 'c') {
            value = std::to_string(id * 100 + row);
            s.fields.emplace_back(setting.field, value);
        } else {
            value = std::string(setting.field) + "-" + tag + pad;
            s.fields.emplace_back(setting.field, value);
        }
        s.writes.push_back({setting.section, setting.key, value});
    }
    return s;
}

inline std::string UrlEncode(const std::string& text)
{
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.')
            out += static_cast<char>(c);
        else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

inline std::string FormBody(const std::vector<std::pair<std::string, std::string>>& fields)
{
    std::string body;
    for (const auto& [name, value] : fields)
        body += (body.empty() ? "" : "&") + UrlEncode(name) + "=" + UrlEncode(value);
    return body;
}

}  // namespace reliability
