// item_list_fuzz.cpp: libFuzzer target for the item list submission. Any text
// area content (as the form decodes it: no NUL) for either layout, written into
// an empty or a complete database file: the file changes exactly by the
// item keys' writes, each key holding the fields of the text's lines joined
// as the item model says (blank lines skipped, at most 512 items, the last
// field without its line end), the item line count agrees with the model, and
// the file still loads into a record that keeps its invariants.
#include "admin/ItemListSubmission.h"
#include "config/ZEPHOnlineINI.h"
#include "support/IniModel.h"
#include "support/RecordInvariants.h"
#include "support/ScratchFile.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const Section = "database entry info";

const char* const CompleteFile =
    "[file]\nhtml path=/db/\n\n"
    "[database entry info]\nentry item number=2\nentry item name=*Name,Phone\n"
    "entry item data type=string,phone\nentry item DB storage length=40,20\n"
    "previous entry item name=Name\nprevious entry item DB storage length=30\n"
    "convert old items to new items=0\n\n"
    "[time stamp]\ntime stamp items=Name\nmode=3\n\n"
    "[report]\nhit count=1\nhit counting item=Phone\n\n";

// The text's lines cut at LF, without the blank ones (empty or a lone CR).
std::vector<std::string> ItemLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (line != "" && line != "\r")
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The key writes the item lines give (the first 512): fields cut at commas,
// the last field of the layout without a final CR or LF.
std::vector<std::pair<std::string, std::string>> ExpectedWrites(const std::vector<std::string>& lines, bool current)
{
    std::string names, lengths, types;
    int count = 0;
    for (const std::string& line : lines) {
        if (count == 512)
            break;

        std::string fields[3];
        size_t from = 0;
        for (int f = 0; f < (current ? 3 : 2) && from <= line.size(); ++f) {
            size_t comma = line.find(',', from);
            fields[f] = line.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
            from = comma == std::string::npos ? line.size() + 1 : comma + 1;
        }
        std::string& last = fields[current ? 2 : 1];
        if (!last.empty() && (last.back() == '\r' || last.back() == '\n'))
            last.pop_back();

        const std::string comma = count > 0 ? "," : "";
        names += comma + fields[0];
        lengths += comma + fields[1];
        types += comma + fields[2];
        ++count;
    }
    if (current)
        return {{"entry item number", std::to_string(count)},
                {"entry item name", names},
                {"entry item data type", types},
                {"entry item DB storage length", lengths}};
    return {{"previous entry item name", names}, {"previous entry item DB storage length", lengths}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool current = (data[0] & 1) == 0;
    const std::string start = (data[0] & 2) == 0 ? CompleteFile : "";
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    text = text.substr(0, text.find('\0'));
    WriteScratch(start);

    auto record = std::make_unique<CZEPHOnlineINI>();
    if (!record->OpenFile(ScratchPath().c_str(), OpenReadWrite))
        std::abort();
    const std::vector<std::string> lines = ItemLines(text);
    if (CountItemLines(text) != static_cast<int>(lines.size()))
        std::abort();
    WriteItemList(SplitItemList(text, current ? ItemLayout::CurrentItems : ItemLayout::PreviousItems), *record);

    std::string expected = start;
    for (const auto& [key, value] : ExpectedWrites(lines, current)) {
        expected = ModelWrite(expected, Section, key, value);
        // A value ending in CR loses that one CR when read back.
        std::string readBack = value;
        if (!readBack.empty() && readBack.back() == '\r')
            readBack.pop_back();
        std::string stored;
        if (!record->ReadValue(Section, key, stored) || stored != readBack)
            std::abort();
    }
    if (record->Content() != expected)
        std::abort();

    record->LoadSettings();
    CheckRecordInvariants(*record);
    return 0;
}
