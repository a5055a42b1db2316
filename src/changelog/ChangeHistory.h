#pragma once
// Reading the change log back: each request's "sent" line merged with its outcome by "id",
// newest first, as lines for a person or as JSON. A line that cannot be read is skipped and
// counted, so one damaged line never hides the rest.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "changelog/RequestDescriber.h"

namespace pelmora {

// One request as recorded. The "sent" line is kept as written and parsed again only when the
// entry is shown, so that a long log costs little more than its text.
struct HistoryEntry {
    std::string sentLine;  // the "sent" line as written
    std::string mac;
    std::string result = "sent";  // "OK", "NG", "No Response", "message", "Not Sent", or "sent"
    std::string text;             // the camera's words, for "message"
    std::string settledAt;        // the outcome's time, empty without one

    nlohmann::ordered_json sent() const;
};

struct History {
    std::vector<HistoryEntry> entries;  // newest first
    std::size_t skippedLines = 0;
};

// The entries of `text` (JSON Lines, oldest first), newest first.
History parseHistory(std::string_view text);

// The log in `directory`: changes.jsonl.1 then changes.jsonl. `trouble` gets the reason when a
// file exists but cannot be read; a missing file is an empty one.
History readHistory(const std::string& directory, std::string* trouble = nullptr);

// Keeps the entries for `mac` (the same MAC in either case, with either separator), then at
// most `limit` of them.
void filterHistory(History& history, std::optional<std::string_view> mac,
                   std::optional<std::size_t> limit);

// "2026-12-08T15:04:05+01:00  02:50:4D:00:00:01  network  DHCP off, IP address 10.1.0.4  OK"
std::string historyLine(const HistoryEntry& entry);
// One merged entry: the "sent" line's keys with "result" the outcome, then "text" and
// "settledAt" where known.
nlohmann::ordered_json historyJson(const HistoryEntry& entry);
// The entries as one JSON array, pretty-printed, written entry by entry.
std::string historyJsonText(const std::vector<HistoryEntry>& entries);

// UTF-8 text safe for a terminal: C0 and C1 controls and DEL become "?".
std::string terminalText(std::string_view utf8);

}  // namespace pelmora
