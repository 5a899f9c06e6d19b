// Databases.cpp: builds the benchmark's databases and their form submissions.
#include "Databases.h"

#include <cstdio>
#include <utility>

namespace {

const char* const TypeWords[] = {"string", "number", "time", "phone"};

std::string Join(const std::vector<std::string>& parts)
{
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            text += ',';
        text += parts[i];
    }
    return text;
}

std::string NameOf(const EntryItem& item)
{
    return (item.required ? "*" : "") + item.name;
}

std::string Names(const std::vector<EntryItem>& items)
{
    std::vector<std::string> parts;
    for (const EntryItem& item : items)
        parts.push_back(NameOf(item));
    return Join(parts);
}

std::string Lengths(const std::vector<EntryItem>& items)
{
    std::vector<std::string> parts;
    for (const EntryItem& item : items)
        parts.push_back(std::to_string(item.length));
    return Join(parts);
}

std::string Types(const std::vector<EntryItem>& items)
{
    std::vector<std::string> parts;
    for (const EntryItem& item : items)
        parts.push_back(item.type);
    return Join(parts);
}

// application/x-www-form-urlencoded, the way browsers encode form values.
std::string UrlEncode(const std::string& text)
{
    std::string encoded;
    for (unsigned char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.' || c == '*') {
            encoded += static_cast<char>(c);
        } else if (c == ' ') {
            encoded += '+';
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            encoded += hex;
        }
    }
    return encoded;
}

class FormBody {
public:
    void Add(const std::string& name, const std::string& value)
    {
        if (!text.empty())
            text += '&';
        text += name + "=" + UrlEncode(value);
    }
    // A ticked checkbox; an unticked one is not sent at all.
    void Tick(const std::string& name, const std::string& value = "1") { Add(name, value); }
    std::string text;
};

}  // namespace

Database SmallDatabase()
{
    Database db;
    db.name = "shop";
    db.items = {{"Name", 40, "string", true},  {"Phone", 20, "phone", false},
                {"EMail", 40, "string", false}, {"Address", 60, "string", false},
                {"City", 30, "string", false},  {"Created", 15, "time", false},
                {"Changed", 15, "time", false}, {"Notes", 200, "string", false}};
    db.previousItems.assign(db.items.begin(), db.items.end() - 1);
    db.csvDisplay = "*Name,Phone,EMail,City";
    db.csvSort = "Name";
    db.stampItems = "Created,Changed";
    db.masterStamp = "2";
    db.stampModes = "3,3";
    db.countItem = "Name";
    return db;
}

Database WideDatabase()
{
    Database db;
    db.name = "catalog";
    std::vector<std::string> display, stamps;
    for (int i = 1; i <= 512; ++i) {
        EntryItem item;
        item.name = "CatalogField" + std::to_string(i);
        item.length = 10 + (i * 7) % 90;
        item.type = TypeWords[i % 4];
        item.required = i % 16 == 1;
        db.items.push_back(item);
        EntryItem previous = item;
        previous.name = "OldField" + std::to_string(i);
        db.previousItems.push_back(previous);
        if (i % 4 == 1)
            display.push_back(NameOf(item));
        if (item.type == "time" && stamps.size() < 20)
            stamps.push_back(item.name);
    }
    db.csvDisplay = Join(display);
    db.csvSort = "*CatalogField1";
    db.stampItems = Join(stamps);
    db.masterStamp = "1";
    db.stampModes = Join(std::vector<std::string>(stamps.size(), "3"));
    db.countItem = "CatalogField1";
    return db;
}

std::string IniText(const Database& db)
{
    const std::string site = "http://www.example.com/" + db.name;
    std::string text;
    auto section = [&](const char* name) { text += std::string("[") + name + "]\n"; };
    auto key = [&](const char* name, const std::string& value) { text += name + ("=" + value) + "\n"; };
    auto end = [&] { text += "\n"; };

    section("file");
    key("html path", site + "/DB.html");
    key("exe full URL", "http://www.example.com/cgi-bin/zeph.exe");
    key("configuration exe full URL", "");
    key("hide files", "0");
    end();
    section("contact");
    key("web master", "owner@example.com");
    end();
    section("password");
    key("use password", "1");
    key("search entry password", "look");
    key("change entry password", "edit");
    key("add entry password", "add");
    key("case sensitivity", "0");
    key("use own password", "0");
    key("masterpassword", "master");
    end();
    section("database entry info");
    key("entry item number", std::to_string(db.items.size()));
    key("entry item name", Names(db.items));
    key("entry item data type", Types(db.items));
    key("entry item DB storage length", Lengths(db.items));
    key("previous entry item name", Names(db.previousItems));
    key("previous entry item DB storage length", Lengths(db.previousItems));
    key("convert old items to new items", "0");
    key("maximum waste entries stored in DB", "30");
    end();
    section("time stamp");
    key("use time stamp", "1");
    key("time stamp items", db.stampItems);
    key("master time stamp", db.masterStamp);
    key("mode", db.stampModes);
    key("obsolete", "0");
    end();
    section("search options");
    key("maximum found entries returned in search", "100");
    key("found entries per page", std::to_string(db.entriesPerPage));
    key("total pages per section", "10");
    end();
    section("formatted csv file options");
    key("use csv file", "1");
    key("display", db.csvDisplay);
    key("sort", db.csvSort);
    end();
    section("Administration");
    key("Enable Remote Administration", "1");
    key("Administration password", AdminPassword);
    key("Administration help page URL", "http://www.example.com/zeph/adminhelp.html");
    end();
    section("report");
    key("hit count", "1");
    key("hit counting item", db.countItem);
    key("hits report interval (in days)", "7");
    key("stat report", "1");
    key("error report", "1");
    key("report top x hits and x (max:100)", "10");
    key("Last stat report time (program generated, do not edit!)", "978307200");
    key("SMTP server", db.smtpServer);
    key("report sender", "zeph@example.com");
    key("report receiver", "owner@example.com");
    key("Stats subject", "ZEP statistics");
    key("Error subject", "ZEP error");
    end();
    section("conversion");
    key("database source", "");
    key("output format", "");
    key("separation charcter", ",");
    end();
    return text;
}

std::string ConfigureBody(const Database& db, const std::string& password)
{
    // Text areas come back with CR LF line breaks.
    std::string itemInfo, previousInfo;
    for (const EntryItem& item : db.items)
        itemInfo += NameOf(item) + "," + std::to_string(item.length) + "," + item.type + "\r\n";
    for (const EntryItem& item : db.previousItems)
        previousInfo += NameOf(item) + "," + std::to_string(item.length) + "\r\n";

    FormBody form;
    form.Add("iteminfo", itemInfo);
    form.Add("previtem", previousInfo);
    form.Add("Waste", "30");
    form.Add("HtmlURL", "http://www.example.com/" + db.name + "/DB.html");
    form.Add("DBURL", "http://www.example.com/cgi-bin/zeph.exe");
    form.Add("ConfURL", "");
    form.Add("HelpURL", "http://www.example.com/zeph/adminhelp.html");
    form.Add("EMail", "owner@example.com");
    form.Add("OldDBPath", "");
    form.Add("DBFormat", "");
    form.Add("SChar", ",");
    form.Tick("UseCSV");
    form.Add("CSVItem", db.csvDisplay);
    form.Add("CSVSort", db.csvSort);
    form.Tick("UsePasswd");
    form.Add("SearchPasswd", "look");
    form.Add("ChangePasswd", "edit");
    form.Add("AddPasswd", "add");
    form.Add("MasterPasswd", "master");
    form.Add("MaxFoundNumber", "100");
    form.Add("MaxNumber", std::to_string(db.entriesPerPage));
    form.Add("PagePerSec", "10");
    form.Tick("UseStamp");
    form.Add("StampIndex", db.stampItems);
    form.Add("MasterStamp", db.masterStamp);
    form.Add("TimeFormat", db.stampModes);
    form.Add("EntryLife", "0");
    form.Tick("UseCount");
    form.Add("CountItem", db.countItem);
    form.Add("CountInt", "7");
    form.Add("TopCount", "10");
    form.Tick("ReportError");
    form.Tick("ReportStat");
    form.Add("SMTP", db.smtpServer);
    form.Add("Sender", "zeph@example.com");
    form.Add("Receiver", "owner@example.com");
    form.Add("StatSub", "ZEP statistics");
    form.Add("ErrorSub", "ZEP error");
    form.Add("password", password);
    form.Add("act", "Configure");
    form.Add("DBName", db.name);
    return std::move(form.text);
}
