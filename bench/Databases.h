// Databases.h: the databases the benchmark serves: their settings, the
// initialisation file that holds them, and the administration form a browser
// submits for them.
#pragma once

#include <string>
#include <vector>

struct EntryItem {
    std::string name;
    int length = 20;
    std::string type;  // string, number, time or phone
    bool required = false;
};

struct Database {
    std::string name;
    std::vector<EntryItem> items;
    std::vector<EntryItem> previousItems;
    std::string csvDisplay, csvSort;
    std::string stampItems, masterStamp, stampModes;
    std::string countItem;
    std::string smtpServer = "smtp.example.com";
    int entriesPerPage = 20;
};

// The administration password of every benchmark database.
inline const std::string AdminPassword = "s3cret";

// A realistic small shop database: eight entry items, every section filled in.
Database SmallDatabase();
// The largest database there is: 512 entry items and 512 previous ones, long
// CSV display and time stamp lists.
Database WideDatabase();

// The initialisation file, as the database program and this program keep it.
std::string IniText(const Database& db);

// The URL-encoded POST body of the administration form filled in with the
// database's settings, as a browser sends it on "Submit New Configuration".
std::string ConfigureBody(const Database& db, const std::string& password);
