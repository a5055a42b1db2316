#pragma once
// What changed between two lists of cameras, each as `discover --json` or `--csv` writes it (or
// the window exports it): cameras matched by MAC, those only in the newer list, those only in
// the older, and each field whose value differs. The age and the clock change with every reply
// and are not compared.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace pelmora {

// One camera's fields as text, in the file's order: a JSON string as it is, a number as JSON
// writes it, a list joined by ";", null empty; CSV fields read back as written. So a list and
// its CSV form read alike.
struct ListedCamera {
    std::string mac;
    std::vector<std::pair<std::string, std::string>> fields;
    std::string field(std::string_view key) const;
};

struct CameraList {
    std::vector<ListedCamera> cameras;
};

struct CameraListRead {
    std::optional<CameraList> list;
    std::string error;  // "FILE:LINE: reason" when the list could not be read
};

// Reads a list written as JSON (text starting with "[") or CSV. `name` names the file in errors.
// A MAC in lower case or with "-" separators is read in the form cameras report it.
CameraListRead readCameraList(std::string_view text, std::string_view name);

struct FieldChange {
    std::string mac;
    std::string field;
    std::string before;
    std::string after;
};

struct CameraListDiff {
    std::vector<const ListedCamera*> added;    // in NEW's order
    std::vector<const ListedCamera*> removed;  // in OLD's order
    std::vector<FieldChange> changed;          // by NEW's order, then the fields' order

    bool empty() const { return added.empty() && removed.empty() && changed.empty(); }
};

// The lists must outlive the result.
CameraListDiff diffCameraLists(const CameraList& before, const CameraList& after);

// "+ MAC model ipAddress", "- MAC model ipAddress", "~ MAC field: old -> new", one a line.
std::string formatDiff(const CameraListDiff& diff);
// {"added": [...], "removed": [...], "changed": [{"mac", "field", "old", "new"}]}; added and
// removed cameras as their fields.
nlohmann::ordered_json diffJson(const CameraListDiff& diff);

}  // namespace pelmora
