#include "changelog/ChangeHistory.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_map>

#include "changelog/ChangeLogFile.h"
#include "listing/TextFile.h"
#include "protocol/MacAddress.h"

namespace pelmora {
namespace {

using Json = nlohmann::ordered_json;

std::string stringOf(const Json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// Appends the file's bytes to `text`; a missing file adds nothing. Anything but a regular file
// (a FIFO would hang the read) is trouble.
void readFile(const std::string& path, std::string& text, std::string* trouble) {
    std::string reason;
    const auto contents = readTextFile(path, reason, FileKinds::RegularOnly);
    if (contents) {
        text += *contents;
    } else if (errno != ENOENT && trouble != nullptr) {
        *trouble = reason;
    }
}

}  // namespace

Json HistoryEntry::sent() const {
    auto parsed = Json::parse(sentLine, nullptr, false);
    return parsed.is_object() ? parsed : Json::object();
}

History parseHistory(std::string_view text) {
    History history;
    std::vector<HistoryEntry> oldestFirst;
    std::unordered_map<std::string, std::size_t> byId;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const auto line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.find_first_not_of(" \t\r") == std::string_view::npos) {
            continue;
        }
        const auto entry = Json::parse(line, nullptr, false);
        const auto id = entry.is_object() ? stringOf(entry, "id") : std::string();
        const auto result = entry.is_object() ? stringOf(entry, "result") : std::string();
        if (id.empty() || result.empty()) {
            ++history.skippedLines;
            continue;
        }
        if (result == "sent") {
            byId[id] = oldestFirst.size();
            HistoryEntry sent;
            sent.sentLine = line;
            sent.mac = stringOf(entry, "mac");
            oldestFirst.push_back(std::move(sent));
            continue;
        }
        // An outcome whose request was rotated away with the older file has nothing to join.
        const auto found = byId.find(id);
        if (found == byId.end()) {
            continue;
        }
        auto& merged = oldestFirst[found->second];
        merged.result = result;
        merged.text = stringOf(entry, "text");
        merged.settledAt = stringOf(entry, "time");
    }
    std::reverse(oldestFirst.begin(), oldestFirst.end());
    history.entries = std::move(oldestFirst);
    return history;
}

History readHistory(const std::string& directory, std::string* trouble) {
    const ChangeLogFile file(directory);
    std::string text;
    readFile(file.previousPath(), text, trouble);
    // The older file may end without a line break if it was cut short.
    if (!text.empty() && text.back() != '\n') {
        text += '\n';
    }
    readFile(file.path(), text, trouble);
    return parseHistory(text);
}

void filterHistory(History& history, std::optional<std::string_view> mac,
                   std::optional<std::size_t> limit) {
    auto& entries = history.entries;
    if (mac) {
        const auto wanted = macKey(*mac);
        std::erase_if(entries, [&](const HistoryEntry& e) { return macKey(e.mac) != wanted; });
    }
    if (limit && entries.size() > *limit) {
        entries.resize(*limit);
    }
}

std::string historyLine(const HistoryEntry& entry) {
    const auto sent = entry.sent();
    std::string outcome = entry.result;
    if (entry.result == "message") {
        outcome = "message: " + entry.text;
    } else if (entry.result == "sent") {
        outcome = "no outcome recorded";
    }
    const auto settings = sent.find("settings");
    const auto words = settings != sent.end() ? settingsWords(*settings) : std::string();
    return terminalText(stringOf(sent, "time") + "  " + entry.mac + "  " +
                        stringOf(sent, "action") + "  " + (words.empty() ? "-" : words) + "  " +
                        outcome);
}

Json historyJson(const HistoryEntry& entry) {
    Json merged = entry.sent();
    merged["result"] = entry.result;
    if (entry.result == "message") {
        merged["text"] = entry.text;
    }
    if (!entry.settledAt.empty()) {
        merged["settledAt"] = entry.settledAt;
    }
    return merged;
}

std::string historyJsonText(const std::vector<HistoryEntry>& entries) {
    if (entries.empty()) {
        return "[]\n";
    }
    std::string out = "[\n";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto text =
            historyJson(entries[i]).dump(2, ' ', false, Json::error_handler_t::replace);
        // Indented one level, as the element of an array.
        out += "  ";
        for (const char c : text) {
            out += c;
            if (c == '\n') {
                out += "  ";
            }
        }
        out += i + 1 < entries.size() ? ",\n" : "\n";
    }
    return out + "]\n";
}

std::string terminalText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x20 || c == 0x7F) {
            out += '?';
        } else if (c == 0xC2 && i + 1 < utf8.size() &&
                   static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
            out += '?';
            ++i;
        } else {
            out += utf8[i];
        }
    }
    return out;
}

}  // namespace pelmora
