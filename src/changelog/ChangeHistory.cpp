#include "changelog/ChangeHistory.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <unordered_map>

#include "changelog/ChangeLogFile.h"
#include "listing/TextFile.h"

namespace pelmora {
namespace {

using Json = nlohmann::ordered_json;

std::string stringOf(const Json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// A MAC as twelve upper-case hex digits, so "02-50-4d-00-00-01" finds "02:50:4D:00:00:01".
std::string macKey(std::string_view mac) {
    std::string key;
    for (const char c : mac) {
        if (std::isxdigit(static_cast<unsigned char>(c))) {
            key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return key;
}

std::string valueText(const Json& value) {
    return value.is_string() ? value.get<std::string>() : value.dump();
}

std::string flagWords(const Json& value, const char* on, const char* off) {
    if (value == 1) {
        return on;
    }
    if (value == 0) {
        return off;
    }
    return valueText(value);
}

std::string fieldWords(const std::string& key, const Json& value) {
    const auto text = valueText(value);
    if (key == "dhcp") {
        return flagWords(value, "DHCP on", "DHCP off");
    }
    if (key == "ipAddress") {
        return "IP address " + text;
    }
    if (key == "subnetMask") {
        return "subnet mask " + text;
    }
    if (key == "gateway") {
        return "gateway " + text;
    }
    if (key == "dnsAuto") {
        return flagWords(value, "DNS automatic", "DNS manual");
    }
    if (key.size() == 4 && key.starts_with("dns")) {
        return "DNS server " + key.substr(3) + " " + text;
    }
    if (key == "webPort") {
        return "HTTP port " + text;
    }
    if (key == "reboot") {
        return "reboot";
    }
    if (key == "currentBand") {
        return "bandwidth limit " + (text == "0.0" ? std::string("unlimited") : text);
    }
    if (key == "clock") {
        return "clock " + text;
    }
    if (key == "timeZone") {
        return "time zone GMT" + (text.starts_with('-') ? text : "+" + text);
    }
    if (key == "dateTimeFormat") {
        return "date format " + text;
    }
    if (key == "pppoeOn") {
        return flagWords(value, "PPPoE on", "PPPoE off");
    }
    if (key == "pppoeUserId") {
        return "PPPoE user ID " + text;
    }
    if (key == "pppoeDnsAuto") {
        return flagWords(value, "PPPoE DNS automatic", "PPPoE DNS manual");
    }
    if (key == "pppoeDns1" || key == "pppoeDns2") {
        return "PPPoE DNS server " + key.substr(8) + " " + text;
    }
    return key + " " + text;
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

std::string settingsWords(const Json& settings) {
    std::string out;
    if (!settings.is_object()) {
        return out;
    }
    for (const auto& item : settings.items()) {
        out += (out.empty() ? "" : ", ") + fieldWords(item.key(), item.value());
    }
    return out;
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
