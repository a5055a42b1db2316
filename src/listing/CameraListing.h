#pragma once
// How the listed cameras are written out, by the command-line tool and by the window's export: a
// readable table, CSV, or JSON whose keys are the record's field names followed by what the LAN
// diagnosis says of the camera. Camera text is untrusted bytes, read as Latin-1.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "lan/LanDiagnosis.h"
#include "model/CameraRecord.h"

namespace pelmora {

// What the LAN diagnosis says of one camera, in the words the tool prints.
struct CameraNotes {
    std::string interface;         // the interface its reply came in on; "" when not known
    std::string interfaceAddress;  // this PC's address there, "10.1.0.1/24"; "" when not known
    std::string_view reachability = reachabilityWord(Reachability::Unknown);
    std::vector<std::string_view> problems;  // problemWords, in their order
    std::vector<std::string> sentences;      // problemSentences, in the same order
};

// The notes of one diagnosed camera.
CameraNotes notesOf(const CameraAddressing& camera, const CameraDiagnosis& diagnosis,
                    std::span<const LocalInterface> interfaces);
// The notes of each camera, in the same order.
std::vector<CameraNotes> cameraNotes(std::span<const CameraAddressing> cameras,
                                     std::span<const LocalInterface> interfaces);

// Keeps only the cameras whose notes name a problem, each with its own notes, in their order.
// `notes` holds one entry per record.
void keepCamerasWithProblems(std::vector<CameraRecord>& records, std::vector<CameraNotes>& notes);

// Each byte as the character of the same code, in UTF-8.
std::string latin1ToUtf8(std::string_view bytes);

// Latin-1 text safe for a terminal: control characters (which could steer the terminal) become
// "?".
std::string printableText(std::string_view bytes);

// The record's fields, then "interface", "interfaceAddress", "reachability" and "problems".
nlohmann::ordered_json cameraToJson(const CameraRecord& record, const CameraNotes& notes = {});
// One object per record; `notes` as for formatCameraJson.
nlohmann::ordered_json camerasToJson(const std::vector<CameraRecord>& records,
                                     const std::vector<CameraNotes>& notes = {});
// A JSON array as the tool prints it: indented by two, DEL and the C1 controls escaped too (a
// terminal would act on them), and a line end.
std::string jsonListText(const nlohmann::ordered_json& list);
// `notes` holds one entry per record, or none (nothing known of any camera's LAN).
std::string formatCameraJson(const std::vector<CameraRecord>& records,
                             const std::vector<CameraNotes>& notes = {});
// The JSON keys as the header, then one line per camera (RFC 4180): a list is one field joined
// by ";", null an empty field, and text a spreadsheet would run as a formula is guarded by "'".
std::string formatCameraCsv(const std::vector<CameraRecord>& records,
                            const std::vector<CameraNotes>& notes = {});
// One JSON value as a CSV field: text guarded against formulas, a number as JSON writes it, a
// list joined by ";", null empty.
std::string csvField(const nlohmann::ordered_json& value);
// The table's cells for each record: the grid's columns and a last one, "Notes", the problems in
// words joined by "; "; every text made safe for a terminal.
std::vector<std::vector<std::string>> cameraTableRows(const std::vector<CameraRecord>& records,
                                                      const std::vector<CameraNotes>& notes);
// The header and `rows` in aligned columns, then `countLine` ("3 cameras").
std::string renderCameraTable(const std::vector<std::vector<std::string>>& rows,
                              const std::string& countLine);
// "1 camera", "3 cameras".
std::string cameraCountText(std::size_t count);
// The grid's columns and a last one, "Notes": the problems in words, joined by "; ".
std::string formatCameraTable(const std::vector<CameraRecord>& records,
                              const std::vector<CameraNotes>& notes = {});

}  // namespace pelmora
