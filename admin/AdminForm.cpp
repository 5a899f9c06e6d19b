// AdminForm.cpp: the administration form page, every setting of the database in
// an input field. Every inserted value is HTML-escaped, so a stored value that
// holds a double quote (or markup) shows as it is and comes back unchanged when
// the form is submitted.
#include "admin/AdminForm.h"

#include "admin/PageShell.h"
#include "base/Output.h"
#include "config/EntryItems.h"
#include "config/SettingTable.h"
#include "config/ZEPHOnlineINI.h"

#include <string>
#include <string_view>
#include <vector>

namespace {

// A setting that the record keeps only in parsed form (or not at all), shown
// as the text stored in the file; an absent key is empty.
std::string StoredText(CZEPHOnlineINI& record, Setting setting)
{
    std::string value;
    record.ReadSetting(setting, value);
    return value;
}

// The start of a link into the help document: the anchor follows.
void EmitHelpHref(const CZEPHOnlineINI& record)
{
    Emit("<a href=\"");
    EmitHtml(record.helpUrl);
}

// " checked" ticks a checkbox whose name and value come before it.
void EmitChecked(bool ticked)
{
    if (ticked)
        Emit(" checked");
}

// An item text area: "[*]name,length\n" per item, with ",type" before the
// line feed when `types` is given; slot 0 left out.
void EmitItemLines(int count, const std::vector<std::string>& names, const std::vector<short>& stars,
                   const std::vector<unsigned short>& lengths, const std::vector<short>* types)
{
    for (int slot = 1; slot < count; ++slot) {
        if (stars[slot] != 0)
            Emit("*");
        EmitHtml(names[slot]);
        Emit(",");
        EmitNumber(lengths[slot]);
        if (types != nullptr) {
            Emit(",");
            Emit(ItemTypeWord((*types)[slot]));
        }
        Emit("\n");
    }
}

void EmitHeadingAndContents(const CZEPHOnlineINI& record)
{
    Emit("<h1 align=\"center\"><font FACE=\"Brush Script MT\" color=\"#0000ff\">Zephyr Ledger Desk (");
    EmitHtml(CurrentDBName);
    Emit(") Administration Page</font></h1>\n");
    Emit("<p align=\"left\"><a href=\"#DBEntry\">Database Entry Info Configuration</a><br>\n");
    Emit("  <a href=\"#FileOption\">File Options Configuration</a><br>\n");
    Emit("  <a href=\"#OutputOption\">Output File Options Configuration</a><br>\n");
    Emit("  <a href=\"#PasswdOption\">Password Options Configuration</a><br>\n");
    Emit("  <a href=\"#SearchTime\">Search &amp; Time Options Configuration</a><br>\n");
    Emit("  <a href=\"#Report\">EMail Report Options Configuration</a></p>\n");
    Emit("<p align=\"left\">Note: Please read <a href=\"");
    EmitHtml(record.readmeUrl);
    Emit("\">Readme File</a> first before using this program!!</p>\n\n");
    Emit("<form action=\"");
    EmitHtml(AdminURL);
    Emit("\" method=\"POST\" name=\"\">\n<hr>\n");
}

void EmitEntryInfoSection(const CZEPHOnlineINI& record)
{
    Emit("  <h2><a name=\"DBEntry\"></a>Database Entry Info Configuration (");
    EmitHelpHref(record);
    Emit("#DBEntry\">Help</a>)</h2>\n");
    Emit("  <p>Info of the current entry items  (name,storage size,data type) (consult ");
    EmitHelpHref(record);
    Emit("#DBEntry\">help</a> before you enter info!):<br>\n");
    Emit("<textarea name=\"iteminfo\" rows=\"10\" cols=\"50\">");
    EmitItemLines(record.itemCount, record.itemName, record.itemStar, record.itemLength, &record.itemType);
    Emit("</textarea>\n<p>");
    Emit("    Info of the previous entry items (required or data type info are not needed, but can be entered anyway) <br>\n");
    Emit("<textarea name=\"previtem\" rows=\"10\" cols=\"50\">");
    EmitItemLines(record.prevItemCount, record.prevItemName, record.prevItemStar, record.prevItemLength,
                  nullptr);
    Emit("</textarea>\n<p>");
    Emit("    <input type=\"checkbox\" name=\"ConvertNew\" value =\"yes\" ");
    if (record.convertOldItems)
        Emit("checked ");
    Emit("> Convert to new items next time ZEP is run? (read ");
    EmitHelpHref(record);
    Emit("#DBEntry\">help</a>!)<br>\n");
    Emit("    How much can can the waste entries occupy (20-80 %) before the DB compresses itself? \n");
    Emit("    <input type=\"text\" size=\"2\" name=\"Waste\" maxlength=\"2\" value =\"");
    EmitNumber(record.wastePercent);
    Emit("\">\n%<p>\n");
    Emit("  <p> Go to <a href=\"#submit\">submit button</a></p>\n<hr>\n");
}

void EmitFileOptionsSection(const CZEPHOnlineINI& record)
{
    Emit("  <h2><a name=\"FileOption\"></a>File Options Configuration (");
    EmitHelpHref(record);
    Emit("#FileOption\">Help</a>)</h2>\n<p> \n");
    Emit("  <p> <b>File Path:</b><br>\n");
    Emit("    Database HTML File URL (e.g. http://www.yourserver.com/DB.html):<br>\n");
    Emit("    <input type=\"text\" name=\"HtmlURL\" size=\"60\" value =\"");
    EmitHtml(record.htmlPath);
    Emit("\">\n<p>\n");
    Emit("    DB Program URL (e.g. http://www.yourserver.com/cgi-bin/zeph.exe): <br>\n");
    Emit("    <input type=\"text\" name=\"DBURL\" size=\"60\" value =\"");
    EmitHtml(record.exeUrl);
    Emit("\">\n<p>\n");
    Emit("    DB Configuration Program URL (e.g. http://www.yourserver.com/cgi-bin/zephconf.exe): <br>\n");
    Emit("    <input type=\"text\" name=\"ConfURL\" size=\"60\" value =\"");
    EmitHtml(record.confExeUrl);
    Emit("\">\n<p>\n");
    Emit("    URL of Help File for Remote Administration (read ");
    EmitHelpHref(record);
    Emit("#FileOption\">help</a>!): <br>\n");
    Emit("    <input type=\"text\" name=\"HelpURL\" size=\"60\" value =\"");
    EmitHtml(record.helpUrl);
    Emit("\">\n<p>\n");
    Emit("    <input type=\"checkbox\" name=\"Hide\" value=\"1\"");
    EmitChecked(record.hideFiles);
    Emit("> Hide Files (read ");
    EmitHelpHref(record);
    Emit("#FileOption\">help</a> for details)<br>\n");
    Emit("  <p><b>Contact:</b><br>\n");
    Emit("    Webmaster E-Mail Address: \n");
    Emit("    <input type=\"text\" name=\"EMail\" size=\"40\" value =\"");
    EmitHtml(record.webMaster);
    Emit("\">\n<p>\n");
    Emit("  <p>Go to <a href=\"#submit\">submit button</a></p>\n<hr>\n");
}

void EmitOutputOptionsSection(CZEPHOnlineINI& record)
{
    Emit("  <h2><a name=\"OutputOption\"></a>Output File Options Configuration (");
    EmitHelpHref(record);
    Emit("#OutputOption\">Help</a>)</h2>\n");
    Emit("  <p><b>Conversion Options:</b><br>\n");
    Emit("    Input CSV file path \n");
    Emit("    <input type=\"text\" name=\"OldDBPath\" size=\"40\" value =\"");
    EmitHtml(StoredText(record, Setting::ConversionSource));
    Emit("\">\n<br>\n");
    Emit("    Output format (see ");
    EmitHelpHref(record);
    Emit("#OutputOption\">Help</a> file for detail) \n");
    Emit("    <input type=\"text\" name=\"DBFormat\" size=\"60\" value =\"");
    EmitHtml(StoredText(record, Setting::ConversionFormat));
    Emit("\">\n<br>\n");
    Emit("    Separation character \n");
    Emit("    <input type=\"text\" name=\"SChar\" size=\"1\" maxlength=\"1\" value =\"");
    EmitHtml(StoredText(record, Setting::SeparationCharacter));
    Emit("\">\n<p>\n");
    Emit("  <p><b>Output CSV Files:</b><br>\n");
    Emit("    <input type=\"checkbox\" name=\"UseCSV\" value=\"1\"");
    EmitChecked(record.useCsvFile != 0);
    Emit("> Use CSV output file?<br>\n");
    Emit("    Items to be displayed (in desired sequence) \n");
    Emit("    <input type=\"text\" name=\"CSVItem\" size=\"60\" value =\"");
    EmitHtml(StoredText(record, Setting::CsvDisplay));
    Emit("\">\n<br>\n");
    Emit("    Name of the item to be used for sorting CSV file \n");
    Emit("    <input type=\"text\" name=\"CSVSort\" size=\"10\" value =\"");
    EmitHtml(StoredText(record, Setting::CsvSort));
    Emit("\">\n<p>\n");
    Emit("  <p>Go to <a href=\"#submit\">submit button</a><p>\n");
    Emit("  <hr>\n");
}

void EmitPasswordOptionsSection(const CZEPHOnlineINI& record)
{
    Emit("  <h2><a name=\"PasswdOption\"></a>Password Options Configuration (");
    EmitHelpHref(record);
    Emit("#PasswdOption\">Help</a>)</h2>\n<p> \n");
    Emit("    <input type=\"checkbox\" name=\"UsePasswd\" value=\"1\"");
    EmitChecked((record.passwordFlags & CZEPHOnlineINI::UsePassword) != 0);
    Emit("> Use Password to Protect Your Database? (Passwords should be shorter than the length you designated for password item!!)<br>\n");
    Emit("    Password for searching database: \n");
    Emit("    <input type=\"text\" name=\"SearchPasswd\" size=\"20\" value =\"");
    EmitHtml(record.searchPassword);
    Emit("\">\n<br>\n");
    Emit("    Password for changing entries: \n");
    Emit("    <input type=\"text\" name=\"ChangePasswd\" size=\"20\" value =\"");
    EmitHtml(record.changePassword);
    Emit("\">\n<br>\n");
    Emit("    Password for adding entries: \n");
    Emit("    <input type=\"text\" name=\"AddPasswd\" size=\"20\" value =\"");
    EmitHtml(record.addPassword);
    Emit("\">\n<br>\n");
    Emit("    <input type=\"checkbox\" name=\"CaseSensitivity\" value=\"1\"");
    EmitChecked((record.passwordFlags & CZEPHOnlineINI::CaseSensitivePasswords) != 0);
    Emit("> Password is case sensitive?<br>\n");
    Emit("    <input type=\"checkbox\" name=\"OwnPasswd\" value=\"1\"");
    EmitChecked((record.passwordFlags & CZEPHOnlineINI::OwnPasswords) != 0);
    Emit("> User set his/her own password? <br>\n");
    Emit("    Master password (overrides user-defined password) \n");
    Emit("    <input type=\"text\" name=\"MasterPasswd\" size=\"20\" value =\"");
    EmitHtml(record.masterPassword);
    Emit("\">\n<br>\n<p>\n");
    Emit("  <p>Go to <a href=\"#submit\">submit button</a> </p>\n");
    Emit("  <hr>\n");
}

void EmitSearchTimeSection(CZEPHOnlineINI& record)
{
    Emit("  <h2><a name=\"SearchTime\"></a>Search &amp; Time Options Configuration (");
    EmitHelpHref(record);
    Emit("#SearchTime\">Help</a>)</h2>\n");
    Emit("  <p><b>Search Options:</b><br>\n");
    Emit("    At most how many entries should ZEP return as result for a search?  \n");
    Emit("    <input type=\"text\" name=\"MaxFoundNumber\" size=\"5\" value =\"");
    EmitNumber(record.maxFoundEntries);
    Emit("\">\n<br>\n");
    Emit("    How many entries found in a search are to be displayed per page?  \n");
    Emit("    <input type=\"text\" name=\"MaxNumber\" size=\"5\" value =\"");
    EmitNumber(record.entriesPerPage);
    Emit("\">\n<br>\n");
    Emit("    How many links to other pages are to be displayed on each page?  \n");
    Emit("    <input type=\"text\" name=\"PagePerSec\" size=\"5\" value =\"");
    EmitNumber(record.pagesPerSection);
    Emit("\">\n<br>\n");
    Emit("  <p><b>Time Stamp Options:</b><br>\n");
    Emit("    <input type=\"checkbox\" name=\"UseStamp\" value=\"1\"");
    EmitChecked(record.useTimeStamp != 0);
    Emit("> Use time stamp in database <br>\n");
    Emit("    Name of the time stamp items are (consult ");
    EmitHelpHref(record);
    Emit("#SearchTime\">help</a> before entering information): \n");
    Emit("    <input type=\"text\" name=\"StampIndex\" size=\"20\" value =\"");
    EmitHtml(StoredText(record, Setting::StampItems));
    Emit("\">\n<br>\n");
    Emit("    Name of the master time stamp item is (consult ");
    EmitHelpHref(record);
    Emit("#SearchTime\">help</a> for detail): \n");
    Emit("    <input type=\"text\" name=\"MasterStamp\" size=\"15\" value =\"");
    EmitHtml(StoredText(record, Setting::MasterTimeStamp));
    Emit("\">\n<br>\n");
    Emit("    Time stamps display format, respectively (0-4, see ");
    EmitHelpHref(record);
    Emit("#SearchTime\">help</a> file for detail)\n");
    Emit("    <input type=\"text\" name=\"TimeFormat\" size=\"10\" value = \"");
    EmitHtml(StoredText(record, Setting::StampModes));
    Emit("\">\n<br>\n");
    Emit("    Life span of entries in days (e.g. 20. 0 means never expire) \n");
    Emit("    <input type=\"text\" name=\"EntryLife\" size=\"3\" value =\"");
    EmitNumber(record.entryLifeDays);
    Emit("\">days\n<br>\n<p>\n");
    Emit("  <p>Go to <a href=\"#submit\">submit button</a> </p>\n");
    Emit("  <hr>\n");
}

void EmitReportSection(CZEPHOnlineINI& record)
{
    Emit("  <h2><a name=\"Report\"></a>Report Options Configuration (");
    EmitHelpHref(record);
    Emit("#Report\">Help</a>)</h2>\n");
    Emit("    <input type=\"checkbox\" name=\"UseCount\" value=\"1\"");
    EmitChecked(record.hitCountOn);
    Emit("> Use hit counting on DB (read ");
    EmitHelpHref(record);
    Emit("#Report\">help</a> for details)<br>\n");
    Emit("    The name of the item used for hit counting is: \n");
    Emit(" <input type=\"text\" name=\"CountItem\" size=\"10\" value = \"");
    EmitHtml(StoredText(record, Setting::HitCountItem));
    Emit("\">\n<br>\n");
    Emit("    Every how many days should ZEP report statistics to you? \n");
    Emit(" <input type=\"text\" name=\"CountInt\" size=\"3\" value =\"");
    EmitNumber(record.hitsReportInterval);
    Emit("\">days\n<br>\n");
    Emit("    Entries with top");
    Emit(" <input type=\"text\" name=\"TopCount\" size=\"3\" value =\"");
    EmitNumber(record.topHits);
    Emit("\"> hit counts should be reported\n<br>\n");
    Emit("    <input type=\"checkbox\" name=\"ReportError\" value=\"1\"");
    EmitChecked(record.errorReport);
    Emit("> Use e-mail to report serious DB errors. <br>\n");
    Emit("    <input type=\"checkbox\" name=\"ReportStat\" value=\"1\"");
    EmitChecked(record.statReport);
    Emit("> Use e-mail to report entries with top hit counts. <br>\n");
    Emit("    The SMTP server for sending the mail is: \n");
    Emit("<input type=\"text\" name=\"SMTP\" size=\"30\" value =\"");
    EmitHtml(record.smtpServer);
    Emit("\"><br>\n");
    Emit("    The e-mail address for sending the mail is: \n");
    Emit("<input type=\"text\" name=\"Sender\" size=\"30\" value =\"");
    EmitHtml(record.reportSender);
    Emit("\"><br>\n");
    Emit("    The e-mail address to receive the report is: \n");
    Emit("<input type=\"text\" name=\"Receiver\" size=\"30\" value =\"");
    EmitHtml(record.reportReceiver);
    Emit("\"><br>\n");
    Emit("    The e-mail subject for the statistics report is: \n");
    Emit("<input type=\"text\" name=\"StatSub\" size=\"30\" value =\"");
    EmitHtml(record.statsSubject);
    Emit("\"><br>\n");
    Emit("    The e-mail subject for the error report is: \n");
    Emit("<input type=\"text\" name=\"ErrorSub\" size=\"30\" value =\"");
    EmitHtml(record.errorSubject);
    Emit("\"><p>\n");
}

void EmitPasswordAndSubmit(const CZEPHOnlineINI& record)
{
    Emit("  <p><a name=\"submit\"></a><font size=\"5\"><b><font size=\"4\">Administration Password</font> \n");
    Emit("    </b></font> (");
    EmitHelpHref(record);
    Emit("#Note\">Security Note</a>): \n");
    Emit("    <input type=\"password\" name=\"password\" size=\"20\">\n");
    Emit("    <input type=\"hidden\" name=\"act\" value=\"Configure\">\n");
    Emit("    <input type=\"hidden\" name=\"DBName\" value=\"");
    EmitHtml(CurrentDBName);
    Emit("\">\n");
    Emit("    <input type=\"submit\" value=\"Submit New Configuration\">\n<p>\n");
    Emit("</form>\n\n<hr>\n</body>\n</html>\n");
}

}  // namespace

void ShowAdminForm(CZEPHOnlineINI& record)
{
    EmitHeadingAndContents(record);
    EmitEntryInfoSection(record);
    EmitFileOptionsSection(record);
    EmitOutputOptionsSection(record);
    EmitPasswordOptionsSection(record);
    EmitSearchTimeSection(record);
    EmitReportSection(record);
    EmitPasswordAndSubmit(record);
}
