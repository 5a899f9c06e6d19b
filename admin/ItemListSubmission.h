// ItemListSubmission.h: turns a submitted item text area into the entry item
// keys of section "database entry info".
#pragma once

#include <string>

class CZEPHOnlineINI;

// CurrentItems: lines "name,storage length,data type" (the iteminfo area),
// written to the count, name, data type and storage length keys.
// PreviousItems: lines "name,storage length" (the previtem area), written to
// the previous name and storage length keys.
enum class ItemLayout { CurrentItems, PreviousItems };

// The item lines of a text area: its lines cut at LF, without the blank ones
// (empty, or a lone CR as a browser sends an empty line). A blank line makes
// no item and does not end the list; the list ends with the text.
int CountItemLines(const std::string& text);

// Splits `text` into item lines (at most MaxItems are taken; a form with more
// is refused before anything is written), each line into its fields at
// commas, and writes the fields of all lines joined by commas, one key per field.
void WriteItemList(const std::string& text, ItemLayout layout, CZEPHOnlineINI& record);
