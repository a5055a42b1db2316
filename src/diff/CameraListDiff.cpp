#include "diff/CameraListDiff.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "changelog/ChangeHistory.h"
#include "csv/Csv.h"
#include "protocol/MacAddress.h"

namespace pelmora {
namespace {

using Json = nlohmann::ordered_json;

bool ignored(std::string_view key) {
    return key == "age" || key == "clock";
}

// The same text for a JSON value as its CSV field holds, formula guard aside.
std::string fieldText(const Json& value) {
    if (value.is_null()) {
        return {};
    }
    if (value.is_string()) {
        return value.get<std::string>();
    }
    if (value.is_array()) {
        std::string joined;
        for (const auto& element : value) {
            joined += (joined.empty() ? "" : ";") +
                      (element.is_string() ? element.get<std::string>() : element.dump());
        }
        return joined;
    }
    return value.dump();
}

// The 1-based line of byte `offset` of `text`.
std::size_t lineAt(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    return 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + offset, '\n'));
}

std::string located(std::string_view name, std::size_t line, std::string_view reason) {
    return std::string(name) + ":" + std::to_string(line) + ": " + std::string(reason);
}

// The line of each element of the top-level array, found by a quick scan of the text (the
// parser keeps no positions): where each object's opening brace stands at depth 1.
std::vector<std::size_t> elementLines(std::string_view text) {
    std::vector<std::size_t> lines;
    int depth = 0;
    bool inString = false;
    std::size_t line = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
        }
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        if (c == '"') {
            inString = true;
            if (depth == 1) {
                lines.push_back(line);
            }
        } else if (c == '[' || c == '{') {
            if (depth == 1) {
                lines.push_back(line);
            }
            ++depth;
        } else if (c == ']' || c == '}') {
            --depth;
        } else if (depth == 1 && c != ',' && c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            lines.push_back(line);
            // Skip the rest of a bare value (number, true, false, null).
            while (i + 1 < text.size() && text[i + 1] != ',' && text[i + 1] != ']' &&
                   text[i + 1] != '\n') {
                ++i;
            }
        }
    }
    return lines;
}

CameraListRead readJsonList(std::string_view text, std::string_view name) {
    Json parsed;
    try {
        parsed = Json::parse(text);
    } catch (const Json::parse_error& e) {
        return {std::nullopt,
                located(name, lineAt(text, e.byte == 0 ? 0 : e.byte - 1), "not valid JSON")};
    } catch (const Json::exception&) {
        // A number too large for a double, for one: the parser says not where.
        return {std::nullopt, located(name, 1, "not a list of cameras: a value out of range")};
    }
    if (!parsed.is_array()) {
        return {std::nullopt, located(name, 1, "not a list of cameras (a JSON array)")};
    }
    const auto lines = elementLines(text);
    CameraList list;
    for (std::size_t i = 0; i < parsed.size(); ++i) {
        const auto& element = parsed[i];
        const std::size_t line = i < lines.size() ? lines[i] : 1;
        if (!element.is_object()) {
            return {std::nullopt, located(name, line, "a camera is not a JSON object")};
        }
        const auto mac = element.find("mac");
        if (mac == element.end() || !mac->is_string() || mac->get<std::string>().empty()) {
            return {std::nullopt, located(name, line, "a camera without a \"mac\"")};
        }
        ListedCamera camera{mac->get<std::string>(), {}};
        for (const auto& item : element.items()) {
            camera.fields.emplace_back(item.key(), fieldText(item.value()));
        }
        list.cameras.push_back(std::move(camera));
    }
    return {std::move(list), {}};
}

CameraListRead readCsvList(std::string_view text, std::string_view name) {
    const auto parsed = parseCsv(text);
    if (!parsed.error.empty()) {
        // The CSV reader says "line N: reason"; written here as the other errors are.
        std::string_view error = parsed.error;
        if (error.starts_with("line ")) {
            error.remove_prefix(5);
        }
        return {std::nullopt, std::string(name) + ":" + std::string(error)};
    }
    if (parsed.rows.empty()) {
        return {std::nullopt, located(name, 1, "empty: neither JSON nor CSV with a header")};
    }
    const auto& header = parsed.rows.front();
    // A field is found by its name: a name twice would compare one column with the other.
    std::unordered_set<std::string> names;
    for (const auto& column : header) {
        if (!names.insert(column).second) {
            return {std::nullopt, located(name, 1, "the column \"" + column + "\" is named twice")};
        }
    }
    const auto macColumn = std::find(header.begin(), header.end(), "mac");
    if (macColumn == header.end()) {
        return {std::nullopt, located(name, 1, "no \"mac\" column in the header")};
    }
    // Blank lines are skipped by the reader, so a row's line is found by counting records; rows
    // spanning lines (a quoted line break) are rare enough to be named by record instead.
    CameraList list;
    for (std::size_t r = 1; r < parsed.rows.size(); ++r) {
        const auto& row = parsed.rows[r];
        if (row.size() != header.size()) {
            return {std::nullopt,
                    located(name, r + 1,
                            "the row has " + std::to_string(row.size()) + " fields, the header " +
                                std::to_string(header.size()))};
        }
        ListedCamera camera;
        for (std::size_t c = 0; c < row.size(); ++c) {
            camera.fields.emplace_back(header[c], unguardFormula(row[c]));
        }
        camera.mac = camera.fields[static_cast<std::size_t>(macColumn - header.begin())].second;
        if (camera.mac.empty()) {
            return {std::nullopt, located(name, r + 1, "a camera without a \"mac\"")};
        }
        list.cameras.push_back(std::move(camera));
    }
    return {std::move(list), {}};
}

Json cameraObject(const ListedCamera& camera) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const auto& [key, value] : camera.fields) {
        object[key] = value;
    }
    return object;
}

std::string summary(const ListedCamera& camera) {
    std::string out = camera.mac;
    for (const auto* key : {"model", "ipAddress"}) {
        if (const auto value = camera.field(key); !value.empty()) {
            out += " " + value;
        }
    }
    return out;
}

}  // namespace

std::string ListedCamera::field(std::string_view key) const {
    for (const auto& [k, v] : fields) {
        if (k == key) {
            return v;
        }
    }
    return {};
}

CameraListRead readCameraList(std::string_view text, std::string_view name) {
    std::string_view body = text;
    if (body.starts_with("\xEF\xBB\xBF")) {
        body.remove_prefix(3);
    }
    const auto first = body.find_first_not_of(" \t\r\n");
    auto read = first != std::string_view::npos && body[first] == '[' ? readJsonList(text, name)
                                                                      : readCsvList(text, name);
    if (!read.list) {
        return read;
    }
    // One camera whatever the case or separators a list writes its MAC in (a hand-edited list,
    // another tool's export), and its "mac" field so that it does not read as a change.
    for (auto& camera : read.list->cameras) {
        if (const auto mac = MacAddress::parse(camera.mac)) {
            camera.mac = mac->text();
            for (auto& [key, value] : camera.fields) {
                if (key == "mac") {
                    value = camera.mac;
                }
            }
        }
    }
    std::unordered_set<std::string> seen;
    for (const auto& camera : read.list->cameras) {
        if (!seen.insert(camera.mac).second) {
            return {std::nullopt, std::string(name) + ": camera " + camera.mac + " listed twice"};
        }
    }
    return read;
}

CameraListDiff diffCameraLists(const CameraList& before, const CameraList& after) {
    std::unordered_map<std::string, const ListedCamera*> old;
    for (const auto& camera : before.cameras) {
        old.emplace(camera.mac, &camera);
    }
    std::unordered_set<std::string> present;
    CameraListDiff diff;
    for (const auto& camera : after.cameras) {
        present.insert(camera.mac);
        const auto found = old.find(camera.mac);
        if (found == old.end()) {
            diff.added.push_back(&camera);
            continue;
        }
        const auto& was = *found->second;
        // Fields of NEW in its order, then any that only OLD has.
        for (const auto& [key, value] : camera.fields) {
            if (!ignored(key) && was.field(key) != value) {
                diff.changed.push_back({camera.mac, key, was.field(key), value});
            }
        }
        for (const auto& field : was.fields) {
            const auto& key = field.first;
            const bool inNew = std::any_of(camera.fields.begin(), camera.fields.end(),
                                           [&key](const auto& f) { return f.first == key; });
            if (!ignored(key) && !inNew && !field.second.empty()) {
                diff.changed.push_back({camera.mac, key, field.second, {}});
            }
        }
    }
    for (const auto& camera : before.cameras) {
        if (!present.contains(camera.mac)) {
            diff.removed.push_back(&camera);
        }
    }
    return diff;
}

std::string formatDiff(const CameraListDiff& diff) {
    std::string out;
    for (const auto* camera : diff.added) {
        out += terminalText("+ " + summary(*camera)) + "\n";
    }
    for (const auto* camera : diff.removed) {
        out += terminalText("- " + summary(*camera)) + "\n";
    }
    for (const auto& change : diff.changed) {
        out += terminalText("~ " + change.mac + " " + change.field + ": " + change.before + " -> " +
                            change.after) +
               "\n";
    }
    return out;
}

nlohmann::ordered_json diffJson(const CameraListDiff& diff) {
    nlohmann::ordered_json added = nlohmann::ordered_json::array();
    for (const auto* camera : diff.added) {
        added.push_back(cameraObject(*camera));
    }
    nlohmann::ordered_json removed = nlohmann::ordered_json::array();
    for (const auto* camera : diff.removed) {
        removed.push_back(cameraObject(*camera));
    }
    nlohmann::ordered_json changed = nlohmann::ordered_json::array();
    for (const auto& change : diff.changed) {
        changed.push_back({{"mac", change.mac},
                           {"field", change.field},
                           {"old", change.before},
                           {"new", change.after}});
    }
    return {{"added", added}, {"removed", removed}, {"changed", changed}};
}

}  // namespace pelmora
