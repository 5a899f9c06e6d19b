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

// An item text area split into the fields of its item lines (at most
// MaxItems are taken), each field of all lines joined by commas.
struct ItemListFields {
    ItemLayout layout;
    // Every item line of the text, those past MaxItems too: a form with more
    // is refused before anything is written.
    int lines = 0;
    std::string names, lengths, types;
};

// Splits `text` into item lines (its lines cut at LF, without the blank
// ones: empty, or a lone CR as a browser sends an empty line; a blank line
// makes no item and does not end the list, which ends with the text), and
// each line into its fields at commas.
ItemListFields SplitItemList(const std::string& text, ItemLayout layout);

// The item lines of a text area, as SplitItemList counts them.
int CountItemLines(const std::string& text);

// Writes the fields of the taken lines, one key per field.
void WriteItemList(const ItemListFields& list, CZEPHOnlineINI& record);
