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

// Splits `text` into lines at LF (an empty line ends the list, at most
// MaxItems lines are taken), each line into its fields at commas, and writes
// the fields of all lines joined by commas, one key per field.
void WriteItemList(const std::string& text, ItemLayout layout, CZEPHOnlineINI& record);
