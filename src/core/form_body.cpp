#include "form_body.h"

#include <algorithm>
#include <optional>

#include "ascii_text.h"
#include "url.h"

namespace verrimo {

namespace {

// A name in a part's Content-Disposition, as browsers escape it: %22, %0D and %0A read back.
std::string dispositionName(std::string_view escaped) {
    std::string out;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        const std::string_view rest = escaped.substr(i);
        if (rest.starts_with("%22") || rest.starts_with("%0D") || rest.starts_with("%0A")) {
            out += rest[2] == '2' ? '"' : rest[2] == 'D' ? '\r' : '\n';
            i += 2;
        } else {
            out += escaped[i];
        }
    }
    return out;
}

// The quoted value of a parameter (name="…") in a header line; none when it is missing.
std::optional<std::string_view> quotedParameter(std::string_view line, std::string_view name) {
    const std::string lower = asciiLowered(line);
    const std::string key = std::string(name) + "=\"";
    for (std::size_t at = lower.find(key); at != std::string::npos; at = lower.find(key, at + 1)) {
        // Not the end of a longer parameter name ("filename=" holds "name=").
        if (at > 0 && lower[at - 1] != ' ' && lower[at - 1] != ';' && lower[at - 1] != '\t')
            continue;
        const std::size_t from = at + key.size();
        const std::size_t end = line.find('"', from);
        if (end == std::string_view::npos) return std::nullopt;
        return line.substr(from, end - from);
    }
    return std::nullopt;
}

}  // namespace

std::vector<SentField> urlEncodedFields(std::string_view text) {
    std::vector<SentField> fields;
    while (!text.empty()) {
        const std::size_t amp = text.find('&');
        const std::string_view pair = text.substr(0, amp);
        text = amp == std::string_view::npos ? std::string_view() : text.substr(amp + 1);
        if (pair.empty()) continue;
        const std::size_t eq = pair.find('=');
        fields.push_back(
            {queryDecoded(pair.substr(0, eq)),
             eq == std::string_view::npos ? std::string() : queryDecoded(pair.substr(eq + 1))});
    }
    return fields;
}

std::vector<SentField> plainTextFields(std::string_view body) {
    std::vector<SentField> fields;
    while (!body.empty()) {
        std::size_t end = body.find("\r\n");
        const std::size_t next = end == std::string_view::npos ? body.size() : end + 2;
        const std::string_view line = body.substr(0, std::min(end, body.size()));
        body.remove_prefix(next);
        if (line.empty()) continue;
        const std::size_t eq = line.find('=');
        fields.push_back({std::string(line.substr(0, eq)), eq == std::string_view::npos
                                                               ? std::string()
                                                               : std::string(line.substr(eq + 1))});
    }
    return fields;
}

std::vector<SentField> multipartFields(std::string_view body, std::string_view boundary) {
    std::vector<SentField> fields;
    if (boundary.empty()) return fields;
    const std::string delimiter = "--" + std::string(boundary);
    std::size_t at = body.find(delimiter);
    while (at != std::string_view::npos) {
        std::size_t from = at + delimiter.size();
        if (body.substr(from).starts_with("--")) break;  // the closing delimiter
        if (body.substr(from).starts_with("\r\n")) from += 2;
        const std::size_t headersEnd = body.find("\r\n\r\n", from);
        if (headersEnd == std::string_view::npos) break;
        const std::size_t next = body.find("\r\n" + delimiter, headersEnd + 4);
        const std::string_view headers = body.substr(from, headersEnd - from);
        const std::size_t valueEnd = next == std::string_view::npos ? body.size() : next;
        SentField field;
        field.value = body.substr(headersEnd + 4, valueEnd - headersEnd - 4);
        for (std::size_t line = 0; line < headers.size();) {
            const std::size_t end = std::min(headers.find("\r\n", line), headers.size());
            const std::string_view text = headers.substr(line, end - line);
            if (asciiLowered(text).starts_with("content-disposition:")) {
                if (const auto name = quotedParameter(text, "name"))
                    field.name = dispositionName(*name);
                field.file = quotedParameter(text, "filename").has_value();
            }
            line = end + 2;
        }
        fields.push_back(std::move(field));
        at = next == std::string_view::npos ? next : next + 2;
    }
    return fields;
}

std::string multipartBoundary(std::string_view contentType) {
    const std::string lower = asciiLowered(contentType);
    const std::size_t at = lower.find("boundary=");
    if (at == std::string::npos) return {};
    std::string_view value = contentType.substr(at + 9);
    value = value.substr(0, value.find(';'));
    value = htmlTrimmed(value);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

}  // namespace verrimo
