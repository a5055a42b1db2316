#include "csv/Csv.h"

namespace pelmora {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool startsFormula(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    switch (text.front()) {
        case '=':
        case '+':
        case '-':
        case '@':
        case '\t':
        case '\r':
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string csvField(std::string_view text) {
    // A leading byte order mark is quoted too: as a file's first bytes it would be taken for
    // the file's own mark and dropped on reading.
    if (text.find_first_of(",\"\r\n") == std::string_view::npos &&
        !text.starts_with(kByteOrderMark)) {
        return std::string(text);
    }
    std::string out = "\"";
    for (const char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
    return out;
}

std::string guardFormula(std::string_view text) {
    return startsFormula(text) ? "'" + std::string(text) : std::string(text);
}

std::string unguardFormula(std::string_view text) {
    if (text.size() >= 2 && text.front() == '\'' && startsFormula(text.substr(1))) {
        return std::string(text.substr(1));
    }
    return std::string(text);
}

std::string formatCsvRow(const CsvRow& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        out += csvField(fields[i]);
    }
    out += '\n';
    return out;
}

CsvParse parseCsv(std::string_view text) {
    CsvParse result;
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(3);
    }
    std::size_t line = 1;
    std::size_t i = 0;
    while (i < text.size()) {
        // A blank line (LF or CRLF alone) holds no record.
        if (text[i] == '\n' || (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            i += text[i] == '\r' ? 2 : 1;
            ++line;
            continue;
        }
        CsvRow row;
        const std::size_t recordLine = line;
        for (;;) {
            std::string field;
            if (i < text.size() && text[i] == '"') {
                ++i;
                bool closed = false;
                while (i < text.size()) {
                    if (text[i] == '"') {
                        if (i + 1 < text.size() && text[i + 1] == '"') {
                            field += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    if (text[i] == '\n') {
                        ++line;
                    }
                    field += text[i++];
                }
                if (!closed) {
                    result.error = "line " + std::to_string(recordLine) + ": unterminated quote";
                    return result;
                }
                if (i < text.size() && text[i] != ',' && text[i] != '\n' &&
                    !(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
                    result.error = "line " + std::to_string(line) + ": text after a closing quote";
                    return result;
                }
            } else {
                while (i < text.size() && text[i] != ',' && text[i] != '\n' &&
                       !(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
                    field += text[i++];
                }
            }
            row.push_back(std::move(field));
            if (i < text.size() && text[i] == ',') {
                ++i;
                continue;
            }
            break;
        }
        if (i < text.size()) {
            i += text[i] == '\r' ? 2 : 1;
            ++line;
        }
        result.rows.push_back(std::move(row));
    }
    return result;
}

}  // namespace pelmora
