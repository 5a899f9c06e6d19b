// CgiForm.h: the request's form fields, read from the CGI environment (GET) or
// standard input (POST) and URL-decoded into a map from name to value.
#pragma once

#include <map>
#include <memory>
#include <string>

class CCgiForm {
public:
    // A POST body larger than this is refused unread.
    static constexpr long MaxContentLength = 8L * 1024 * 1024;

    // Reads and decodes the request. A request that cannot be read leaves the
    // map empty; its message has already been written to the answer.
    CCgiForm();

    // The constructor's two steps: the request's raw text (false after
    // writing why there is none), and the map filled from it.
    bool ReadRequest();
    void ParseFields();
    // The map as HTML: "<B>name</B> = <B>value</B><BR>" per field. General
    // interface that no request uses; tests/cgi/CgiForm_test.cpp covers it.
    void DumpFields() const;

    bool HasField(const std::string& name) const;
    // The value of a field; a missing name is added with an empty value.
    const std::string& Field(const std::string& name);
    const std::map<std::string, std::string>& Fields() const { return fields; }

    // In place: every "+" becomes a blank.
    static void PlusToSpace(char* text);
    // In place: every "%" and the two bytes after it become the byte that
    // HexPairValue gives for those two.
    static void UrlDecode(char* text);
    // The byte of two hexadecimal digits, each taken as a signed byte.
    static char HexPairValue(signed char high, signed char low);

private:
    const char* rawText = nullptr;          // QUERY_STRING, or postBody
    std::unique_ptr<char[]> postBody;
    std::map<std::string, std::string> fields;
};
