#include "listing/CameraListing.h"

#include <algorithm>
#include <cstdio>

#include "csv/Csv.h"
#include "model/FixedText.h"

namespace pelmora {
namespace {

std::string clockText(const CameraClock& c) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", c.yearsSince1900 + 1900,
                  c.month + 1, c.dayOfMonth, c.hour, c.minute, c.second);
    return text;
}

template <std::size_t N>
std::string jsonText(const char (&field)[N]) {
    return latin1ToUtf8(fieldText(field));
}

// DEL and the C1 controls (U+0080 to U+009F) are valid unescaped in JSON, which escapes only
// the C0 controls, but reach a terminal that shows the output: written as \u escapes instead.
// Outside strings JSON text is plain ASCII, and in UTF-8 the bytes 0xC2 0x80 to 0xC2 0x9F can
// only be those characters, so the serialised text can be rewritten byte by byte.
std::string escapeDelAndC1(std::string_view json) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(json.size());
    for (std::size_t i = 0; i < json.size(); ++i) {
        const auto c = static_cast<unsigned char>(json[i]);
        unsigned code = 0;
        if (c == 0x7F) {
            code = c;
        } else if (c == 0xC2 && i + 1 < json.size() &&
                   static_cast<unsigned char>(json[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(json[i + 1]) <= 0x9F) {
            code = static_cast<unsigned char>(json[++i]);
        } else {
            out += json[i];
            continue;
        }
        out += "\\u00";
        out += kHex[code >> 4];
        out += kHex[code & 0xF];
    }
    return out;
}

}  // namespace

CameraNotes notesOf(const CameraAddressing& camera, const CameraDiagnosis& d,
                    std::span<const LocalInterface> interfaces) {
    CameraNotes n;
    if (d.interface >= 0) {
        n.interface = interfaces[d.interface].name;
        n.interfaceAddress = interfaceAddressText(interfaces[d.interface]);
    }
    n.reachability = reachabilityWord(d.reachability);
    n.problems = problemWords(d.problems);
    n.sentences = problemSentences(camera, d, interfaces);
    return n;
}

std::vector<CameraNotes> cameraNotes(std::span<const CameraAddressing> cameras,
                                     std::span<const LocalInterface> interfaces) {
    const auto diagnoses = diagnoseCameras(cameras, interfaces);
    std::vector<CameraNotes> notes;
    notes.reserve(cameras.size());
    for (std::size_t c = 0; c < cameras.size(); ++c) {
        notes.push_back(notesOf(cameras[c], diagnoses[c], interfaces));
    }
    return notes;
}

void keepCamerasWithProblems(std::vector<CameraRecord>& records, std::vector<CameraNotes>& notes) {
    // Built anew rather than compacted in place: moving an entry onto itself empties it.
    std::vector<CameraRecord> keptRecords;
    std::vector<CameraNotes> keptNotes;
    for (std::size_t i = 0; i < records.size() && i < notes.size(); ++i) {
        if (!notes[i].problems.empty()) {
            keptRecords.push_back(records[i]);
            keptNotes.push_back(std::move(notes[i]));
        }
    }
    records = std::move(keptRecords);
    notes = std::move(keptNotes);
}

std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | u >> 6);
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

std::string printableText(std::string_view bytes) {
    std::string cleaned(bytes);
    for (auto& c : cleaned) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0)) {
            c = '?';
        }
    }
    return latin1ToUtf8(cleaned);
}

nlohmann::ordered_json cameraToJson(const CameraRecord& r, const CameraNotes& notes) {
    nlohmann::ordered_json bands = nlohmann::ordered_json::array();
    for (const auto& band : r.bandElements) {
        if (band[0] == '\0') {
            break;
        }
        bands.push_back(jsonText(band));
    }
    return nlohmann::ordered_json{
        {"mac", jsonText(r.mac)},
        {"model", jsonText(r.model)},
        {"serial", jsonText(r.serial)},
        {"softVersion", jsonText(r.softVersion)},
        {"ipAddress", formatIpv4(r.ipAddress)},
        {"pppoeIpAddress", formatIpv4(r.pppoeIpAddress)},
        {"dhcp", r.dhcp},
        {"subnetMask", formatIpv4(r.subnetMask)},
        {"gateway", formatIpv4(r.gateway)},
        {"dnsAuto", r.dnsAuto},
        {"dns1", formatIpv4(r.dns1)},
        {"dns2", formatIpv4(r.dns2)},
        {"dns3", formatIpv4(r.dns3)},
        {"dns4", formatIpv4(r.dns4)},
        {"webPort", r.webPort},
        {"bandElements", bands},
        {"currentBand", jsonText(r.currentBand)},
        {"clock", r.hasClock() ? nlohmann::ordered_json(clockText(r.clock))
                               : nlohmann::ordered_json(nullptr)},
        {"timeZone", jsonText(r.timeZone)},
        {"dateTimeFormat", jsonText(r.dateTimeFormat)},
        {"dateTimeMark", jsonText(r.dateTimeMark)},
        {"pppoeReported", r.pppoeReported},
        {"pppoeOn", r.pppoeOn},
        {"pppoeDnsAuto", r.pppoeDnsAuto},
        {"pppoeDns1", formatIpv4(r.pppoeDns1)},
        {"pppoeDns2", formatIpv4(r.pppoeDns2)},
        {"age", r.age},
        {"interface", latin1ToUtf8(notes.interface)},
        {"interfaceAddress", notes.interfaceAddress},
        {"reachability", notes.reachability},
        {"problems", notes.problems},
    };
}

std::string jsonListText(const nlohmann::ordered_json& list) {
    return escapeDelAndC1(list.dump(2)) + "\n";
}

nlohmann::ordered_json camerasToJson(const std::vector<CameraRecord>& records,
                                     const std::vector<CameraNotes>& notes) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < records.size(); ++i) {
        list.push_back(cameraToJson(records[i], i < notes.size() ? notes[i] : CameraNotes{}));
    }
    return list;
}

std::string formatCameraJson(const std::vector<CameraRecord>& records,
                             const std::vector<CameraNotes>& notes) {
    return jsonListText(camerasToJson(records, notes));
}

std::string csvField(const nlohmann::ordered_json& value) {
    if (value.is_null()) {
        return {};
    }
    if (value.is_string()) {
        return guardFormula(value.get<std::string>());
    }
    if (value.is_array()) {
        std::string joined;
        for (const auto& element : value) {
            joined += (joined.empty() ? "" : ";") +
                      (element.is_string() ? element.get<std::string>() : element.dump());
        }
        return guardFormula(joined);
    }
    return value.dump();
}

std::string formatCameraCsv(const std::vector<CameraRecord>& records,
                            const std::vector<CameraNotes>& notes) {
    CsvRow header;
    const auto keys = cameraToJson(CameraRecord{});
    for (const auto& item : keys.items()) {
        header.push_back(item.key());
    }
    std::string out = formatCsvRow(header);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const auto object = cameraToJson(records[i], i < notes.size() ? notes[i] : CameraNotes{});
        CsvRow row;
        for (const auto& item : object.items()) {
            row.push_back(csvField(item.value()));
        }
        out += formatCsvRow(row);
    }
    return out;
}

std::vector<std::vector<std::string>> cameraTableRows(const std::vector<CameraRecord>& records,
                                                      const std::vector<CameraNotes>& notes) {
    std::vector<std::vector<std::string>> rows;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const auto& r = records[i];
        std::string words;
        if (i < notes.size()) {
            for (const auto& sentence : notes[i].sentences) {
                words += (words.empty() ? "" : "; ") + sentence;
            }
        }
        // The sentences quote camera text (another camera's MAC): made safe like the rest.
        rows.push_back({printableText(fieldText(r.mac)),
                        r.dhcp == 1 ? "DHCP" : formatIpv4(r.ipAddress),
                        printableText(fieldText(r.model)), printableText(fieldText(r.serial)),
                        printableText(fieldText(r.softVersion)), std::to_string(r.webPort),
                        printableText(words)});
    }
    return rows;
}

std::string renderCameraTable(const std::vector<std::vector<std::string>>& rows,
                              const std::string& countLine) {
    const std::vector<std::string> headers = {"MAC address", "IP address", "Model", "Serial No.",
                                              "Version No.", "Port",       "Notes"};
    // Widths in characters: a character past ASCII takes two bytes or more in UTF-8 (Latin-1
    // camera text, ONVIF cameras' own UTF-8) but one column.
    const auto columns = [](const std::string& s) {
        return static_cast<std::size_t>(std::count_if(s.begin(), s.end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        }));
    };
    std::vector<std::size_t> widths;
    for (const auto& h : headers) {
        widths.push_back(h.size());
    }
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], columns(row[i]));
        }
    }
    std::string out;
    const auto line = [&](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            out += cells[i];
            if (i + 1 < cells.size()) {
                out.append(widths[i] - columns(cells[i]) + 2, ' ');
            }
        }
        // A camera without notes leaves the padding before the empty last cell.
        out.erase(out.find_last_not_of(' ') + 1);
        out += '\n';
    };
    line(headers);
    for (const auto& row : rows) {
        line(row);
    }
    out += countLine + "\n";
    return out;
}

std::string cameraCountText(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " camera" : " cameras");
}

std::string formatCameraTable(const std::vector<CameraRecord>& records,
                              const std::vector<CameraNotes>& notes) {
    return renderCameraTable(cameraTableRows(records, notes), cameraCountText(records.size()));
}

}  // namespace pelmora
