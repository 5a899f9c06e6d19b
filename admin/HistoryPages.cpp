// HistoryPages.cpp: the history list, a change's differences, a restore's
// confirmation and its result, written as readable literals in page order.
#include "admin/HistoryPages.h"

#include "admin/ErrorPage.h"
#include "admin/PageShell.h"
#include "base/Output.h"
#include "cgi/CgiForm.h"
#include "config/SettingComparison.h"
#include "config/VersionHistory.h"
#include "config/ZEPHOnlineINI.h"

#include <cstring>

namespace {

// "2026-12-10T16:41:32Z" for the machine, "2026-12-10 16:41:32 UTC" for
// people; a small script adds the browser's own time where it differs.
void EmitTime(const HistoryVersion& version)
{
    std::string shown = ShownVersionTime(version.time);
    Emit("<time datetime=\"");
    Emit(shown);
    Emit("\">");
    shown[10] = ' ';
    shown.back() = ' ';
    Emit(shown);
    Emit("UTC</time>");
}

// The start of a form that posts back to this program for the database,
// with its act; the password field follows where the page needs it.
void EmitFormStart(const char* act)
{
    Emit("<form action=\"");
    EmitHtml(AdminURL);
    Emit("\" method=\"POST\">\n<input type=\"hidden\" name=\"act\" value=\"");
    Emit(act);
    Emit("\">\n<input type=\"hidden\" name=\"DBName\" value=\"");
    EmitHtml(CurrentDBName);
    Emit("\">\n");
}

// Signed in, the form carries the sign-in; else the password is typed for
// each action, as the administration form's submission asks for it.
void EmitSignin()
{
    if (!CurrentSignin.empty()) {
        Emit("<input type=\"hidden\" name=\"");
        Emit(SigninField);
        Emit("\" value=\"");
        EmitHtml(CurrentSignin);
        Emit("\">\n");
        return;
    }
    Emit("<p><label for=\"password\">Administration password</label>\n"
         "<input type=\"password\" id=\"password\" name=\"password\" size=\"20\" autocomplete=\"current-password\" "
         "required aria-describedby=\"password-note\"><br>\n"
         "<small id=\"password-note\">Typed again for every action: no page keeps it.</small></p>\n");
}

// A button that sends `name`=`value` with the form (a version's name:
// escaped like every value).
void EmitButton(const char* name, const std::string& value, const char* label)
{
    Emit("<button type=\"submit\" name=\"");
    Emit(name);
    Emit("\" value=\"");
    EmitHtml(value);
    Emit("\">");
    Emit(label);
    Emit("</button>\n");
}

// A form of its own that opens the administration form, with the password
// it asks for.
void EmitFormOpener()
{
    EmitFormStart("entrance");
    Emit("<p class=\"way-out\"><label for=\"form-password\">Administration password</label>\n"
         "<input type=\"password\" id=\"form-password\" name=\"password\" size=\"20\" "
         "autocomplete=\"current-password\" required>\n"
         "<button type=\"submit\">Open the administration form</button></p>\n</form>\n");
}

// Buttons that leave this page, and the end of its form: back to the list
// (the form's own act) and to the administration form (its act sent last, so
// it is the one read). The administration form asks for the password even
// when signed in: signed in, its button stands in a form of its own with the
// password field.
void EmitWayOutAndEnd(bool toList)
{
    Emit("<p class=\"way-out\">");
    if (toList)
        Emit("<button type=\"submit\" name=\"act\" value=\"history\">Back to the history</button>\n");
    if (CurrentSignin.empty()) {
        Emit("<button type=\"submit\" name=\"act\" value=\"entrance\">Open the administration form</button></p>\n"
             "</form>\n");
        return;
    }
    Emit("</p>\n</form>\n");
    EmitFormOpener();
}

void EmitEnd()
{
    Emit("<script>\n"
         "for (const t of document.querySelectorAll('time[datetime]')) {\n"
         "  const d = new Date(t.dateTime);\n"
         "  if (d.getTimezoneOffset() !== 0) t.insertAdjacentText('afterend', ' (' + d.toLocaleString() + ' your time)');\n"
         "}\n"
         "</script>\n</body>\n</html>\n");
}

void EmitValue(const std::string& value)
{
    if (value.empty())
        Emit("<em>(empty)</em>");
    else
        EmitHtml(value);
}

// One row per difference: section, setting, before → after.
void EmitDifferences(const std::vector<ShownDifference>& differences)
{
    Emit("<table>\n<thead><tr><th scope=\"col\">Section</th><th scope=\"col\">Setting</th>"
         "<th scope=\"col\">Before &rarr; after</th></tr></thead>\n<tbody>\n");
    for (const ShownDifference& difference : differences) {
        Emit("<tr><td data-label=\"Section\">");
        EmitHtml(difference.section);
        Emit("</td><td data-label=\"Setting\">");
        EmitHtml(difference.key);
        if (difference.item != 0) {
            Emit(", item ");
            EmitNumber(static_cast<long long>(difference.item));
        }
        Emit("</td><td data-label=\"Change\">");
        switch (difference.what) {
        case ShownDifference::Masked:
            Emit("(changed)");
            break;
        case ShownDifference::ItemAdded:
            Emit("added: ");
            EmitValue(difference.newer);
            break;
        case ShownDifference::ItemRemoved:
            Emit("removed: ");
            EmitValue(difference.older);
            break;
        case ShownDifference::Value:
        case ShownDifference::ItemChanged:
            EmitValue(difference.older);
            Emit(" &rarr; ");
            EmitValue(difference.newer);
            break;
        }
        Emit("</td></tr>\n");
    }
    Emit("</tbody>\n</table>\n");
}

void EmitHeading(const char* text)
{
    Emit("<h1>");
    Emit(text);
    Emit(" <span class=\"database\">");
    EmitHtml(CurrentDBName);
    Emit("</span></h1>\n");
}

// The version a field names; a name that none has is refused.
const HistoryVersion& Chosen(const CVersionHistory& history, const std::string& name, const CZEPHOnlineINI& record)
{
    const HistoryVersion* version = history.Named(name);
    if (version == nullptr)
        ShowUnknownVersion(record);
    return *version;
}

void ShowList(const CVersionHistory& history, const std::string& live)
{
    EmitHeading("Configuration history of");
    Emit("<p>Each save of the configuration keeps the configuration it replaced, newest first. "
         "Choose a change to see what it changed, or undo it: the configuration goes back to what it was before it.</p>\n");
    if (history.OpenError() != 0) {
        Emit("<p class=\"warning\">The history cannot be read: ");
        EmitHtml(std::strerror(history.OpenError()));
        Emit("</p>\n");
    }
    EmitFormStart(HistoryAct);
    EmitSignin();
    if (history.Versions().empty()) {
        Emit("<p>No configuration has been kept yet: the next save keeps the one it replaces.</p>\n");
    } else {
        Emit("<table class=\"versions\">\n<caption>Changes, newest first</caption>\n"
             "<thead><tr><th scope=\"col\">Changed at</th><th scope=\"col\">By</th>"
             "<th scope=\"col\">Settings changed</th><th scope=\"col\">Actions</th></tr></thead>\n<tbody>\n");
        WalkHistory(history, live, [](const HistoryStep& step) {
            if (step.gapAfter)
                Emit("<tr class=\"gap\"><td colspan=\"4\">A later change was not kept, "
                     "or the file was changed by other means.</td></tr>\n");
            Emit("<tr><td data-label=\"Changed at\">");
            EmitTime(step.version);
            Emit("</td><td data-label=\"By\">");
            EmitHtml(step.version.who);
            Emit("</td><td data-label=\"Settings changed\" class=\"names\">");
            if (step.content == nullptr) {
                Emit("This version cannot be read: ");
                EmitHtml(step.readError);
            } else if (step.after == nullptr) {
                Emit("Unknown: the configuration after it cannot be read.");
            } else {
                const std::vector<std::string>& names = step.changedSettings;
                if (names.empty())
                    Emit("No setting changed.");
                for (size_t i = 0; i < names.size(); ++i) {
                    if (i != 0)
                        Emit(", ");
                    EmitHtml(names[i]);
                }
            }
            Emit("</td><td data-label=\"Actions\">\n");
            EmitButton(ChangesField, step.version.name, "Show changes");
            EmitButton(ConfirmRestoreField, step.version.name, "Undo this change");
            Emit("</td></tr>\n");
        });
        Emit("</tbody>\n</table>\n");
    }
    EmitWayOutAndEnd(false);
}

void ShowChanges(const CVersionHistory& history, const std::string& live, const HistoryVersion& version)
{
    // The change that replaced the version put in its place the next newer
    // version, or the file for the newest.
    const std::vector<HistoryVersion>& versions = history.Versions();
    const size_t place = static_cast<size_t>(&version - versions.data());
    const HistoryVersion* newer = place == 0 ? nullptr : &versions[place - 1];
    // Two contents held: the file's is the record's own.
    const std::string before = history.Content(version);
    const std::string newerContent = newer == nullptr ? std::string() : history.Content(*newer);
    const std::string& after = newer == nullptr ? live : newerContent;
    EmitHeading("Changes to");
    Emit("<p>Made at ");
    EmitTime(version);
    Emit(" by ");
    EmitHtml(version.who);
    Emit(place == 0 ? ", compared with the configuration as it is now.</p>\n"
                    : ", compared with the configuration that the next change replaced.</p>\n");
    if (GapAfter(version, newer, &after))
        Emit("<p class=\"warning\">A later change was not kept, or the file was changed by other means: "
             "what follows includes it.</p>\n");
    const std::vector<ShownDifference> differences = ShownDifferences(before, after);
    if (differences.empty())
        Emit("<p>No setting changed.</p>\n");
    else
        EmitDifferences(differences);
    EmitFormStart(HistoryAct);
    EmitSignin();
    Emit("<p>");
    EmitButton(ConfirmRestoreField, version.name, "Undo this change");
    Emit("</p>\n");
    EmitWayOutAndEnd(true);
}

void ShowConfirmation(const CVersionHistory& history, CZEPHOnlineINI& record, const HistoryVersion& version)
{
    std::string kept = history.Content(version);
    // Compared before the version takes the file's place in the record, so
    // that no copy of either content is needed.
    const std::vector<ShownDifference> differences = ShownDifferences(record.Content(), kept);
    const std::string signedInWith = record.adminPassword;
    // The version's own settings, read by the same rules as the file's; the
    // record is never committed here, so the file stays as it is.
    record.ReplaceContent(std::move(kept));
    record.LoadSettings(CZEPHOnlineINI::Load::WithoutItems);

    EmitHeading("Undo a change to");
    Emit("<p class=\"goes-back\">The configuration goes back to what it was before the change made at ");
    EmitTime(version);
    Emit(" by ");
    EmitHtml(version.who);
    Emit(".</p>\n<p>The configuration it replaces is kept, so that this can be undone too.</p>\n");
    if (!record.remoteAdmin)
        Emit("<p class=\"warning\"><strong>Warning:</strong> this version turns remote administration off. "
             "Once it is restored, this page and the administration form refuse everyone, you too, until "
             "remote administration is turned on again on the server (zephconf-admin enable-remote).</p>\n");
    if (record.adminPassword != signedInWith)
        Emit("<p class=\"warning\"><strong>Warning:</strong> this version holds another administration password "
             "than the one you signed in with. Once it is restored, only that older password opens these pages; "
             "until your sign-in ends, its page can still undo the restore.</p>\n");
    if (differences.empty()) {
        Emit("<p>The configuration already holds these settings: restoring it changes no setting.</p>\n");
    } else {
        Emit("<p>These settings change:</p>\n");
        EmitDifferences(differences);
    }
    EmitFormStart(RestoreAct);
    Emit("<input type=\"hidden\" name=\"");
    Emit(VersionField);
    Emit("\" value=\"");
    EmitHtml(version.name);
    Emit("\">\n");
    EmitSignin();
    Emit("<p><button type=\"submit\">Undo this change</button></p>\n");
    EmitWayOutAndEnd(true);
}

}  // namespace

void EmitHistoryHead()
{
    Emit("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         "<title>Zephyr Ledger Desk: configuration history</title>\n"
         "<style>\n"
         "  body { font-family: sans-serif; max-width: 60em; margin: 1em auto; padding: 0 1em; color: #222; line-height: 1.4; }\n"
         "  h1 { font-size: 1.5em; }\n"
         "  table { border-collapse: collapse; width: 100%; margin: 1em 0; }\n"
         "  caption { text-align: left; font-weight: bold; padding: 0.3em 0; }\n"
         "  th, td { text-align: left; vertical-align: top; padding: 0.4em; border-bottom: 1px solid #ccd; }\n"
         "  td { overflow-wrap: anywhere; }\n"
         "  button, input { font: inherit; padding: 0.3em 0.7em; margin: 0.15em 0; }\n"
         "  button:focus-visible, input:focus-visible { outline: 3px solid #1a5fb4; outline-offset: 2px; }\n"
         "  .gap td { font-style: italic; color: #555; background: #f4f4f8; }\n"
         "  .warning { border-left: 4px solid #c01c28; padding: 0.5em 1em; background: #fdf0f0; }\n"
         "  @media (max-width: 40em) {\n"
         "    thead { position: absolute; left: -9999px; }\n"
         "    tr, td { display: block; }\n"
         "    td { border: 0; padding: 0.15em 0; }\n"
         "    tr { border-bottom: 1px solid #ccd; padding: 0.6em 0; }\n"
         "    td[data-label]::before { content: attr(data-label) \": \"; font-weight: bold; }\n"
         "  }\n"
         "</style>\n</head>\n<body>\n");
}

void ShowHistory(CCgiForm& form, CZEPHOnlineINI& record, const std::string& iniPath)
{
    // The record holds the file's lock: no change comes between the file
    // and its history while they are read.
    const CVersionHistory history(iniPath);
    // The list and the changes leave the record as it is; a confirmation
    // takes a copy of its own before it reads a version into it.
    const std::string& live = record.Content();
    if (form.HasField(ChangesField))
        ShowChanges(history, live, Chosen(history, form.Field(ChangesField), record));
    else if (form.HasField(ConfirmRestoreField))
        ShowConfirmation(history, record, Chosen(history, form.Field(ConfirmRestoreField), record));
    else
        ShowList(history, live);
    EmitEnd();
}

[[noreturn]] void ShowUnknownVersion(const CZEPHOnlineINI& record)
{
    Emit("<H1><font color=\"#ff0000\">No such version of this database: it may have been removed by later changes. "
         "Operation aborted.</font></H1>\n");
    ShowErrorPage(-1, record);
}

void ShowRestored(CZEPHOnlineINI& record, const HistoryVersion& version, const std::string& before,
                  const std::string& notKept, const std::string& keptVersion)
{
    EmitHeading("Configuration restored:");
    Emit("<p>The configuration is back to what it was before the change made at ");
    EmitTime(version);
    Emit(" by ");
    EmitHtml(version.who);
    Emit(".</p>\n");
    const std::vector<ShownDifference> differences = ShownDifferences(before, record.Content());
    if (differences.empty()) {
        Emit("<p>No setting changed: the configuration already held these settings.</p>\n");
    } else {
        Emit("<p>These settings changed:</p>\n");
        EmitDifferences(differences);
    }
    if (notKept.empty())
        Emit("<p>The configuration it replaced is kept as the newest version of the history: restoring that one "
             "undoes this restore.</p>\n");
    else {
        Emit("<p class=\"warning\">The configuration it replaced could not be kept: ");
        EmitHtml(notKept);
        Emit("</p>\n");
    }
    // A restore that turned remote administration off leaves nothing to go on to.
    if (record.remoteAdmin) {
        EmitUndoForm(keptVersion, "Undo this restore");
        EmitFormOpener();
    }
    EmitEnd();
}

void EmitUndoForm(const std::string& keptVersion, const char* undoLabel)
{
    EmitFormStart(HistoryAct);
    EmitSignin();
    Emit("<p>");
    if (!keptVersion.empty())
        EmitButton(ConfirmRestoreField, keptVersion, undoLabel);
    Emit("<button type=\"submit\">History</button></p>\n</form>\n");
}
