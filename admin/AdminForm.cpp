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

// A control's opening text around its name, which the setting's row gives.
void EmitNamed(const char* before, Setting setting, const char* after)
{
    Emit(before);
    Emit(RowOf(setting).formField);
    Emit(after);
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
    EmitNamed("<textarea name=\"", Setting::ItemNames, "\" rows=\"10\" cols=\"50\">");
    EmitItemLines(record.itemCount, record.itemName, record.itemStar, record.itemLength, &record.itemType);
    Emit("</textarea>\n<p>");
    Emit("    Info of the previous entry items (required or data type info are not needed, but can be entered anyway) <br>\n");
    EmitNamed("<textarea name=\"", Setting::PreviousItemNames, "\" rows=\"10\" cols=\"50\">");
    EmitItemLines(record.prevItemCount, record.prevItemName, record.prevItemStar, record.prevItemLength,
                  nullptr);
    Emit("</textarea>\n<p>");
    EmitNamed("    <input type=\"checkbox\" name=\"", Setting::ConvertOldItems, "\" value =\"yes\" ");
    if (record.convertOldItems)
        Emit("checked ");
    Emit("> Convert to new items next time ZEP is run? (read ");
    EmitHelpHref(record);
    Emit("#DBEntry\">help</a>!)<br>\n");
    Emit("    How much can can the waste entries occupy (20-80 %) before the DB compresses itself? \n");
    EmitNamed("    <input type=\"text\" size=\"2\" name=\"", Setting::WastePercent, "\" maxlength=\"2\" value =\"");
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
    EmitNamed("    <input type=\"text\" name=\"", Setting::HtmlPath, "\" size=\"60\" value =\"");
    EmitHtml(record.htmlPath);
    Emit("\">\n<p>\n");
    Emit("    DB Program URL (e.g. http://www.yourserver.com/cgi-bin/zeph.exe): <br>\n");
    EmitNamed("    <input type=\"text\" name=\"", Setting::ExeUrl, "\" size=\"60\" value =\"");
    EmitHtml(record.exeUrl);
    Emit("\">\n<p>\n");
    Emit("    DB Configuration Program URL (e.g. http://www.yourserver.com/cgi-bin/zephconf.exe): <br>\n");
    EmitNamed("    <input type=\"text\" name=\"", Setting::ConfExeUrl, "\" size=\"60\" value =\"");
    EmitHtml(record.confExeUrl);
    Emit("\">\n<p>\n");
    Emit("    URL of Help File for Remote Administration (read ");
    EmitHelpHref(record);
    Emit("#FileOption\">help</a>!): <br>\n");
    EmitNamed("    <input type=\"text\" name=\"", Setting::HelpUrl, "\" size=\"60\" value =\"");
    EmitHtml(record.helpUrl);
    Emit("\">\n<p>\n");
    EmitNamed("    <input type=\"checkbox\" name=\"", Setting::HideFiles, "\" value=\"1\"");
    EmitChecked(record.hideFiles);
    Emit("> Hide Files (read ");
    EmitHelpHref(record);
    Emit("#FileOption\">help</a> for details)<br>\n");
    Emit("  <p><b>Contact:</b><br>\n");
    Emit("    Webmaster E-Mail Address: \n");
    EmitNamed("    <input type=\"text\" name=\"", Setting::WebMaster, "\" size=\"40\" value =\"");
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
    EmitNamed("    <input type=\"text\" name=\"", Setting::ConversionSource, "\" size=\"40\" value =\"");
    EmitHtml(StoredText(record, Setting::ConversionSource));
    Emit("\">\n<br>\n");
    Emit("    Output format (see ");
    EmitHelpHref(record);
    Emit("#OutputOption\">Help</a> file for detail) \n");
    EmitNamed("    <input type=\"text\" name=\"", Setting::ConversionFormat, "\" size=\"60\" value =\"");
    EmitHtml(StoredText(record, Setting::ConversionFormat));
    Emit("\">\n<br>\n");
    Emit("    Separation character \n");
    EmitNamed("    <input type=\"text\" name=\"", Setting::SeparationCharacter, "\" size=\"1\" maxlength=\"1\" value =\"");
    EmitHtml(StoredText(record, Setting::SeparationCharacter));
    Emit("\">\n<p>\n");
    Emit("  <p><b>Output CSV Files:</b><br>\n");
    EmitNamed("    <input type=\"checkbox\" name=\"", Setting::UseCsvFile, "\" value=\"1\"");
    EmitChecked(record.useCsvFile != 0);
    Emit("> Use CSV output file?<br>\n");
    Emit("    Items to be displayed (in desired sequence) \n");
    EmitNamed("    <input type=\"text\" name=\"", Setting::CsvDisplay, "\" size=\"60\" value =\"");
    EmitHtml(StoredText(record, Setting::CsvDisplay));
    Emit("\">\n<br>\n");
    Emit("    Name of the item to be used for sorting CSV file \n");
    EmitNamed("    <input type=\"text\" name=\"", Setting::CsvSort, "\" size=\"10\" value =\"");
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
    EmitNamed("    <input type=\"checkbox\" name=\"", Setting::UsePassword, "\" value=\"1\"");
    EmitChecked((record.passwordFlags & CZEPHOnlineINI::UsePassword) != 0);
    Emit("> Use Password to Protect Your Database? (Passwords should be shorter than the length you designated for password item!!)<br>\n");
    Emit("    Password for searching database: \n");
    EmitNamed("    <input type=\"text\" name=\"", Setting::SearchPassword, "\" size=\"20\" value =\"");
    EmitHtml(record.searchPassword);
    Emit("\">\n<br>\n");
    Emit("    Password for changing entries: \n");
    EmitNamed("    <input type=\"text\" name=\"", Setting::ChangePassword, "\" size=\"20\" value =\"");
    EmitHtml(record.changePassword);
    Emit("\">\n<br>\n");
    Emit("    Password for adding entries: \n");
    EmitNamed("    <input type=\"text\" name=\"", Setting::AddPassword, "\" size=\"20\" value =\"");
    EmitHtml(record.addPassword);
    Emit("\">\n<br>\n");
    EmitNamed("    <input type=\"checkbox\" name=\"", Setting::CaseSensitivity, "\" value=\"1\"");
    EmitChecked((record.passwordFlags & CZEPHOnlineINI::CaseSensitivePasswords) != 0);
    Emit("> Password is case sensitive?<br>\n");
    EmitNamed("    <input type=\"checkbox\" name=\"", Setting::OwnPasswords, "\" value=\"1\"");
    EmitChecked((record.passwordFlags & CZEPHOnlineINI::OwnPasswords) != 0);
    Emit("> User set his/her own password? <br>\n");
    Emit("    Master password (overrides user-defined password) \n");
    EmitNamed("    <input type=\"text\" name=\"", Setting::MasterPassword, "\" size=\"20\" value =\"");
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
    EmitNamed("    <input type=\"text\" name=\"", Setting::MaxFoundEntries, "\" size=\"5\" value =\"");
    EmitNumber(record.maxFoundEntries);
    Emit("\">\n<br>\n");
    Emit("    How many entries found in a search are to be displayed per page?  \n");
    EmitNamed("    <input type=\"text\" name=\"", Setting::EntriesPerPage, "\" size=\"5\" value =\"");
    EmitNumber(record.entriesPerPage);
    Emit("\">\n<br>\n");
    Emit("    How many links to other pages are to be displayed on each page?  \n");
    EmitNamed("    <input type=\"text\" name=\"", Setting::PagesPerSection, "\" size=\"5\" value =\"");
    EmitNumber(record.pagesPerSection);
    Emit("\">\n<br>\n");
    Emit("  <p><b>Time Stamp Options:</b><br>\n");
    EmitNamed("    <input type=\"checkbox\" name=\"", Setting::UseTimeStamp, "\" value=\"1\"");
    EmitChecked(record.useTimeStamp != 0);
    Emit("> Use time stamp in database <br>\n");
    Emit("    Name of the time stamp items are (consult ");
    EmitHelpHref(record);
    Emit("#SearchTime\">help</a> before entering information): \n");
    EmitNamed("    <input type=\"text\" name=\"", Setting::StampItems, "\" size=\"20\" value =\"");
    EmitHtml(StoredText(record, Setting::StampItems));
    Emit("\">\n<br>\n");
    Emit("    Name of the master time stamp item is (consult ");
    EmitHelpHref(record);
    Emit("#SearchTime\">help</a> for detail): \n");
    EmitNamed("    <input type=\"text\" name=\"", Setting::MasterTimeStamp, "\" size=\"15\" value =\"");
    EmitHtml(StoredText(record, Setting::MasterTimeStamp));
    Emit("\">\n<br>\n");
    Emit("    Time stamps display format, respectively (0-4, see ");
    EmitHelpHref(record);
    Emit("#SearchTime\">help</a> file for detail)\n");
    EmitNamed("    <input type=\"text\" name=\"", Setting::StampModes, "\" size=\"10\" value = \"");
    EmitHtml(StoredText(record, Setting::StampModes));
    Emit("\">\n<br>\n");
    Emit("    Life span of entries in days (e.g. 20. 0 means never expire) \n");
    EmitNamed("    <input type=\"text\" name=\"", Setting::EntryLifeDays, "\" size=\"3\" value =\"");
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
    EmitNamed("    <input type=\"checkbox\" name=\"", Setting::HitCount, "\" value=\"1\"");
    EmitChecked(record.hitCountOn);
    Emit("> Use hit counting on DB (read ");
    EmitHelpHref(record);
    Emit("#Report\">help</a> for details)<br>\n");
    Emit("    The name of the item used for hit counting is: \n");
    EmitNamed(" <input type=\"text\" name=\"", Setting::HitCountItem, "\" size=\"10\" value = \"");
    EmitHtml(StoredText(record, Setting::HitCountItem));
    Emit("\">\n<br>\n");
    Emit("    Every how many days should ZEP report statistics to you? \n");
    EmitNamed(" <input type=\"text\" name=\"", Setting::HitsReportInterval, "\" size=\"3\" value =\"");
    EmitNumber(record.hitsReportInterval);
    Emit("\">days\n<br>\n");
    Emit("    Entries with top");
    EmitNamed(" <input type=\"text\" name=\"", Setting::TopHits, "\" size=\"3\" value =\"");
    EmitNumber(record.topHits);
    Emit("\"> hit counts should be reported\n<br>\n");
    EmitNamed("    <input type=\"checkbox\" name=\"", Setting::ErrorReport, "\" value=\"1\"");
    EmitChecked(record.errorReport);
    Emit("> Use e-mail to report serious DB errors. <br>\n");
    EmitNamed("    <input type=\"checkbox\" name=\"", Setting::StatReport, "\" value=\"1\"");
    EmitChecked(record.statReport);
    Emit("> Use e-mail to report entries with top hit counts. <br>\n");
    Emit("    The SMTP server for sending the mail is: \n");
    EmitNamed("<input type=\"text\" name=\"", Setting::SmtpServer, "\" size=\"30\" value =\"");
    EmitHtml(record.smtpServer);
    Emit("\"><br>\n");
    Emit("    The e-mail address for sending the mail is: \n");
    EmitNamed("<input type=\"text\" name=\"", Setting::ReportSender, "\" size=\"30\" value =\"");
    EmitHtml(record.reportSender);
    Emit("\"><br>\n");
    Emit("    The e-mail address to receive the report is: \n");
    EmitNamed("<input type=\"text\" name=\"", Setting::ReportReceiver, "\" size=\"30\" value =\"");
    EmitHtml(record.reportReceiver);
    Emit("\"><br>\n");
    Emit("    The e-mail subject for the statistics report is: \n");
    EmitNamed("<input type=\"text\" name=\"", Setting::StatsSubject, "\" size=\"30\" value =\"");
    EmitHtml(record.statsSubject);
    Emit("\"><br>\n");
    Emit("    The e-mail subject for the error report is: \n");
    EmitNamed("<input type=\"text\" name=\"", Setting::ErrorSubject, "\" size=\"30\" value =\"");
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
