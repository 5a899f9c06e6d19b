// Form.cpp: a scan of <input> and <textarea> tags and their attributes.
#include "support/Form.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>
#include <strings.h>

namespace {

std::string Unescape(std::string text)
{
    const std::pair<const char*, const char*> entities[] = {
        {"&quot;", "\""}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}};
    std::string out;
    for (size_t at = 0; at < text.size();) {
        bool replaced = false;
        for (const auto& [entity, character] : entities) {
            if (text.compare(at, std::strlen(entity), entity) == 0) {
                out += character;
                at += std::strlen(entity);
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += text[at++];
    }
    return out;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The attributes of a tag's inside: name (lower case) -> value, entities
// decoded; a bare attribute ("checked") has an empty value.
std::map<std::string, std::string> Attributes(const std::string& tag)
{
    std::map<std::string, std::string> attributes;
    size_t at = 0;
    auto skipSpace = [&] {
        while (at < tag.size() && std::isspace(static_cast<unsigned char>(tag[at])))
            ++at;
    };
    for (;;) {
        skipSpace();
        const size_t nameStart = at;
        while (at < tag.size() && !std::isspace(static_cast<unsigned char>(tag[at])) && tag[at] != '=')
            ++at;
        if (at == nameStart)
            return attributes;
        const std::string name = Lower(tag.substr(nameStart, at - nameStart));
        skipSpace();
        std::string value;
        if (at < tag.size() && tag[at] == '=') {
            ++at;
            skipSpace();
            if (at < tag.size() && (tag[at] == '"' || tag[at] == '\'')) {
                const size_t close = tag.find(tag[at], at + 1);
                const size_t end = close == std::string::npos ? tag.size() : close;
                value = tag.substr(at + 1, end - at - 1);
                at = end + 1;
            } else {
                const size_t start = at;
                while (at < tag.size() && !std::isspace(static_cast<unsigned char>(tag[at])))
                    ++at;
                value = tag.substr(start, at - start);
            }
        }
        attributes[name] = Unescape(value);
    }
}

bool TagAt(const std::string& page, size_t at, const char* name)
{
    const size_t length = std::strlen(name);
    return strncasecmp(page.c_str() + at, name, length) == 0 &&
           (std::isspace(static_cast<unsigned char>(page[at + length])) || page[at + length] == '>');
}

}  // namespace

std::vector<FormControl> FormControls(const std::string& page)
{
    std::vector<FormControl> controls;
    for (size_t at = page.find('<'); at != std::string::npos; at = page.find('<', at + 1)) {
        const bool area = TagAt(page, at, "<textarea");
        if (!area && !TagAt(page, at, "<input"))
            continue;
        const size_t nameEnd = at + (area ? 9 : 6);
        const size_t tagEnd = page.find('>', nameEnd);
        if (tagEnd == std::string::npos)
            break;
        std::map<std::string, std::string> attributes = Attributes(page.substr(nameEnd, tagEnd - nameEnd));
        if (attributes.count("name") == 0)
            continue;
        FormControl control;
        control.name = attributes["name"];
        if (area) {
            control.kind = "textarea";
            const size_t close = page.find("</textarea>", tagEnd);
            std::string text = Unescape(page.substr(tagEnd + 1, close - tagEnd - 1));
            if (!text.empty() && text[0] == '\n')
                text.erase(0, 1);  // a browser drops one line end right after the start tag
            for (char c : text) {
                if (c == '\n')
                    control.value += '\r';
                control.value += c;
            }
        } else {
            control.kind = attributes.count("type") ? Lower(attributes["type"]) : "text";
            control.value = attributes["value"];
            control.checked = attributes.count("checked") != 0;
        }
        controls.push_back(control);
    }
    return controls;
}

FormFields SubmittedFields(const std::vector<FormControl>& controls)
{
    FormFields fields;
    for (const FormControl& control : controls)
        if (control.kind != "checkbox" || control.checked)
            fields.emplace_back(control.name, control.value);
    return fields;
}

FormControl& ControlNamed(std::vector<FormControl>& controls, const std::string& name)
{
    for (FormControl& control : controls)
        if (control.name == name)
            return control;
    throw std::invalid_argument("the form has no control named " + name);
}

std::string UrlEncode(const std::string& text)
{
    std::string encoded;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '*' || c == '-' || c == '.' || c == '_') {
            encoded += static_cast<char>(c);
        } else if (c == ' ') {
            encoded += '+';
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            encoded += hex;
        }
    }
    return encoded;
}

std::string FormBody(const FormFields& fields)
{
    std::string body;
    for (const auto& [name, value] : fields) {
        if (!body.empty())
            body += '&';
        body += UrlEncode(name) + "=" + UrlEncode(value);
    }
    return body;
}
