#pragma once
// RFC 4180 comma-separated values: fields quoted when they hold a comma, a quote or a line
// break or begin with a byte order mark, quotes doubled, "\n" line ends on output; CRLF or LF and a leading UTF-8 byte order
// mark accepted on input.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

using CsvRow = std::vector<std::string>;

// One field as written: quoted only when it must be.
std::string csvField(std::string_view text);

// Text a spreadsheet would run as a formula (it begins with "=", "+", "-", "@", a tab or a
// carriage return) gets a leading "'" so that it stays text.
std::string guardFormula(std::string_view text);
// The reverse for text read back: one leading "'" before such a character is dropped.
std::string unguardFormula(std::string_view text);

// The fields joined by commas, ended by "\n".
std::string formatCsvRow(const CsvRow& fields);

struct CsvParse {
    std::vector<CsvRow> rows;
    std::string error;  // empty when the text was read whole
};

// Every record of `text`. Blank lines are skipped; an unterminated quoted field or text after a
// closing quote is an error naming the line.
CsvParse parseCsv(std::string_view text);

}  // namespace pelmora
