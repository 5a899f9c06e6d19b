// form_fuzz.cpp: libFuzzer target for the form decoding. Any bytes become the
// query text of a GET request; the decoded field map must equal the one an
// independent, plain reading of the URL-encoding rules gives.
#include "cgi/CgiForm.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

namespace {

int Digit(signed char c)
{
    return c > 64 ? (c & ~0x20) - 55 : c - 48;
}

// One name=value pair: "+" is a blank, "%" takes the next two bytes as a
// hexadecimal pair (a "%" with fewer than two bytes left stays as it is), and a
// decoded NUL ends the pair.
std::string DecodePair(const std::string& pair)
{
    std::string text = pair;
    for (char& c : text)
        if (c == '+')
            c = ' ';
    std::string decoded;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int value = (16 * Digit(static_cast<signed char>(text[i + 1])) +
                         Digit(static_cast<signed char>(text[i + 2]))) & 0xFF;
            decoded += static_cast<char>(value);
            i += 3;
        } else {
            decoded += text[i++];
        }
    }
    size_t nul = decoded.find('\0');
    return nul == std::string::npos ? decoded : decoded.substr(0, nul);
}

// Pairs are separated by "&"; an empty text after the last "&" is no pair.
std::map<std::string, std::string> ExpectedFields(const std::string& query)
{
    std::map<std::string, std::string> fields;
    size_t start = 0;
    while (start < query.size()) {
        size_t amp = query.find('&', start);
        std::string pair = query.substr(start, amp == std::string::npos ? std::string::npos : amp - start);
        std::string decoded = DecodePair(pair);
        size_t equals = decoded.find('=');
        if (equals == std::string::npos)
            fields[decoded] = "";
        else
            fields[decoded.substr(0, equals)] = decoded.substr(equals + 1);
        if (amp == std::string::npos)
            break;
        start = amp + 1;
    }
    return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An environment value ends at its first NUL, as a query text from a web server does.
    std::string query(reinterpret_cast<const char*>(data), size);
    query = query.substr(0, query.find('\0'));

    setenv("REQUEST_METHOD", "GET", 1);
    setenv("QUERY_STRING", query.c_str(), 1);
    CCgiForm form;

    if (form.Fields() != ExpectedFields(query))
        std::abort();
    for (const auto& [name, value] : form.Fields())
        if (!form.HasField(name) || name.find('\0') != std::string::npos ||
            value.find('\0') != std::string::npos)
            std::abort();
    return 0;
}
