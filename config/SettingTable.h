// SettingTable.h: every setting of a database's initialisation file, once: its
// section and key, its kind, how its values are shown and the administration
// form field that carries it. The loader, the form, the
// update and the shell tool take section and key from here; no other program
// file spells them.
#pragma once

#include <cstddef>
#include <iterator>
#include <string>

enum class SettingKind {
    Text,      // one line of text
    Number,    // a decimal number
    Checkbox,  // on ("1") or off ("0")
    Password,  // a password, stored in plain text: never to be shown but in the form
    ItemList,  // part of the entry item definitions, carried by an item text area
};

// How the values of a setting may be shown where two contents are compared
// (the tool's history and diff).
enum class SettingShown {
    Value,     // as they are
    Password,  // never: "(changed)"
    ItemList,  // a comma list of entry items, compared item by item
};

// The settings, in the order of SettingTable's rows (which the compiler checks;
// a new last setting moves the check in RowsInSettingOrder along).
enum class Setting {
    ItemCount, ItemNames, ItemTypes, ItemLengths, PreviousItemNames, PreviousItemLengths,
    ConvertOldItems, WastePercent,
    HtmlPath, ExeUrl, ConfExeUrl, HelpUrl, HideFiles, WebMaster,
    ConversionSource, ConversionFormat, SeparationCharacter,
    UseCsvFile, CsvDisplay, CsvSort,
    UsePassword, SearchPassword, ChangePassword, AddPassword, CaseSensitivity, OwnPasswords,
    MasterPassword,
    EntriesPerPage, PagesPerSection, MaxFoundEntries,
    UseTimeStamp, StampItems, MasterTimeStamp, StampModes, EntryLifeDays,
    HitCount, HitCountItem, HitsReportInterval, TopHits, ErrorReport, StatReport,
    SmtpServer, ReportSender, ReportReceiver, StatsSubject, ErrorSubject,
    RemoteAdmin, AdminPassword, LastStatReportTime,
};

struct SettingRow {
    Setting setting;
    const char* section;
    const char* key;
    SettingKind kind;
    // How its values are shown: by its kind, but that the number of items is
    // one number, not a list of them.
    SettingShown shown;
    // The administration form's field that carries the value (for an item
    // list, its text area); null for a setting the form does not change.
    const char* formField;
    // What the update writes when the field comes empty; null: the field as sent.
    const char* whenEmpty = nullptr;
};

// The rows in the order the update writes them: the item lists (written from
// the text areas), the form's fields, then the settings the form leaves alone.
// A new setting is one row here and its name in Setting, at the same place.
inline constexpr SettingRow SettingTable[] = {
    {Setting::ItemCount,           "database entry info",        "entry item number",                        SettingKind::ItemList, SettingShown::Value,    "iteminfo"},
    {Setting::ItemNames,           "database entry info",        "entry item name",                          SettingKind::ItemList, SettingShown::ItemList, "iteminfo"},
    {Setting::ItemTypes,           "database entry info",        "entry item data type",                     SettingKind::ItemList, SettingShown::ItemList, "iteminfo"},
    {Setting::ItemLengths,         "database entry info",        "entry item DB storage length",             SettingKind::ItemList, SettingShown::ItemList, "iteminfo"},
    {Setting::PreviousItemNames,   "database entry info",        "previous entry item name",                 SettingKind::ItemList, SettingShown::ItemList, "previtem"},
    {Setting::PreviousItemLengths, "database entry info",        "previous entry item DB storage length",    SettingKind::ItemList, SettingShown::ItemList, "previtem"},
    {Setting::ConvertOldItems,     "database entry info",        "convert old items to new items",           SettingKind::Checkbox, SettingShown::Value,    "ConvertNew"},
    {Setting::WastePercent,        "database entry info",        "maximum waste entries stored in DB",       SettingKind::Number,   SettingShown::Value,    "Waste"},
    {Setting::HtmlPath,            "file",                       "html path",                                SettingKind::Text,     SettingShown::Value,    "HtmlURL"},
    {Setting::ExeUrl,              "file",                       "exe full URL",                             SettingKind::Text,     SettingShown::Value,    "DBURL"},
    {Setting::ConfExeUrl,          "file",                       "configuration exe full URL",               SettingKind::Text,     SettingShown::Value,    "ConfURL"},
    {Setting::HelpUrl,             "Administration",             "Administration help page URL",             SettingKind::Text,     SettingShown::Value,    "HelpURL"},
    {Setting::HideFiles,           "file",                       "hide files",                               SettingKind::Checkbox, SettingShown::Value,    "Hide"},
    {Setting::WebMaster,           "contact",                    "web master",                               SettingKind::Text,     SettingShown::Value,    "EMail"},
    {Setting::ConversionSource,    "conversion",                 "database source",                          SettingKind::Text,     SettingShown::Value,    "OldDBPath"},
    {Setting::ConversionFormat,    "conversion",                 "output format",                            SettingKind::Text,     SettingShown::Value,    "DBFormat"},
    {Setting::SeparationCharacter, "conversion",                 "separation charcter",                      SettingKind::Text,     SettingShown::Value,    "SChar"},
    {Setting::UseCsvFile,          "formatted csv file options", "use csv file",                             SettingKind::Checkbox, SettingShown::Value,    "UseCSV"},
    {Setting::CsvDisplay,          "formatted csv file options", "display",                                  SettingKind::Text,     SettingShown::Value,    "CSVItem"},
    {Setting::CsvSort,             "formatted csv file options", "sort",                                     SettingKind::Text,     SettingShown::Value,    "CSVSort"},
    {Setting::UsePassword,         "password",                   "use password",                             SettingKind::Checkbox, SettingShown::Value,    "UsePasswd"},
    {Setting::SearchPassword,      "password",                   "search entry password",                    SettingKind::Password, SettingShown::Password, "SearchPasswd"},
    {Setting::ChangePassword,      "password",                   "change entry password",                    SettingKind::Password, SettingShown::Password, "ChangePasswd"},
    {Setting::AddPassword,         "password",                   "add entry password",                       SettingKind::Password, SettingShown::Password, "AddPasswd"},
    {Setting::CaseSensitivity,     "password",                   "case sensitivity",                         SettingKind::Checkbox, SettingShown::Value,    "CaseSensitivity"},
    {Setting::OwnPasswords,        "password",                   "use own password",                         SettingKind::Checkbox, SettingShown::Value,    "OwnPasswd"},
    {Setting::MasterPassword,      "password",                   "masterpassword",                           SettingKind::Password, SettingShown::Password, "MasterPasswd"},
    {Setting::EntriesPerPage,      "search options",             "found entries per page",                   SettingKind::Number,   SettingShown::Value,    "MaxNumber", "40"},
    {Setting::PagesPerSection,     "search options",             "total pages per section",                  SettingKind::Number,   SettingShown::Value,    "PagePerSec", "10"},
    {Setting::MaxFoundEntries,     "search options",             "maximum found entries returned in search", SettingKind::Number,   SettingShown::Value,    "MaxFoundNumber", "100"},
    {Setting::UseTimeStamp,        "time stamp",                 "use time stamp",                           SettingKind::Checkbox, SettingShown::Value,    "UseStamp"},
    {Setting::StampItems,          "time stamp",                 "time stamp items",                         SettingKind::Text,     SettingShown::Value,    "StampIndex"},
    {Setting::MasterTimeStamp,     "time stamp",                 "master time stamp",                        SettingKind::Number,   SettingShown::Value,    "MasterStamp"},
    {Setting::StampModes,          "time stamp",                 "mode",                                     SettingKind::Text,     SettingShown::Value,    "TimeFormat"},
    {Setting::EntryLifeDays,       "time stamp",                 "obsolete",                                 SettingKind::Number,   SettingShown::Value,    "EntryLife"},
    {Setting::HitCount,            "report",                     "hit count",                                SettingKind::Checkbox, SettingShown::Value,    "UseCount"},
    {Setting::HitCountItem,        "report",                     "hit counting item",                        SettingKind::Text,     SettingShown::Value,    "CountItem"},
    {Setting::HitsReportInterval,  "report",                     "hits report interval (in days)",           SettingKind::Number,   SettingShown::Value,    "CountInt"},
    {Setting::TopHits,             "report",                     "report top x hits and x (max:100)",        SettingKind::Number,   SettingShown::Value,    "TopCount"},
    {Setting::ErrorReport,         "report",                     "error report",                             SettingKind::Checkbox, SettingShown::Value,    "ReportError"},
    {Setting::StatReport,          "report",                     "stat report",                              SettingKind::Checkbox, SettingShown::Value,    "ReportStat"},
    {Setting::SmtpServer,          "report",                     "SMTP server",                              SettingKind::Text,     SettingShown::Value,    "SMTP"},
    {Setting::ReportSender,        "report",                     "report sender",                            SettingKind::Text,     SettingShown::Value,    "Sender"},
    {Setting::ReportReceiver,      "report",                     "report receiver",                          SettingKind::Text,     SettingShown::Value,    "Receiver"},
    {Setting::StatsSubject,        "report",                     "Stats subject",                            SettingKind::Text,     SettingShown::Value,    "StatSub"},
    {Setting::ErrorSubject,        "report",                     "Error subject",                            SettingKind::Text,     SettingShown::Value,    "ErrorSub"},
    {Setting::RemoteAdmin,         "Administration",             "Enable Remote Administration",             SettingKind::Checkbox, SettingShown::Value,    nullptr},
    {Setting::AdminPassword,       "Administration",             "Administration password",                  SettingKind::Password, SettingShown::Password, nullptr},
    {Setting::LastStatReportTime,  "report",                     "Last stat report time (program generated, do not edit!)",
                                                                                                             SettingKind::Number,   SettingShown::Value,    nullptr},
};

// Row i names Setting i, and the last row the last setting: a setting without
// its row, or a row out of place, does not compile.
constexpr bool RowsInSettingOrder()
{
    for (size_t row = 0; row < std::size(SettingTable); ++row)
        if (SettingTable[row].setting != static_cast<Setting>(row))
            return false;
    return std::size(SettingTable) == static_cast<size_t>(Setting::LastStatReportTime) + 1;
}
static_assert(RowsInSettingOrder(), "every Setting has its row, in the order of the enum");

// A password's value is never shown.
constexpr bool PasswordsNeverShown()
{
    for (const SettingRow& row : SettingTable)
        if (row.kind == SettingKind::Password && row.shown != SettingShown::Password)
            return false;
    return true;
}
static_assert(PasswordsNeverShown(), "a password row is shown as SettingShown::Password");

// The row of a setting.
constexpr const SettingRow& RowOf(Setting setting)
{
    return SettingTable[static_cast<size_t>(setting)];
}
