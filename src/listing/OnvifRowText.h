#pragma once
// An ONVIF camera as the window's ONVIF page lists it: one text per column, as printable UTF-8,
// the address its web page is at, and what the filter searches. Qt-free so the rules are tested
// without a window.

#include <array>
#include <chrono>
#include <optional>
#include <string>

#include "onvif/OnvifCamera.h"

namespace pelmora {

enum OnvifColumn {
    kOnvifMacColumn,
    kOnvifAddressColumn,
    kOnvifManufacturerColumn,
    kOnvifModelColumn,
    kOnvifFirmwareColumn,
    kOnvifNameColumn,
    kOnvifClockColumn,
    kOnvifNotesColumn,
};
inline constexpr int kOnvifColumns = 8;

using OnvifRowCells = std::array<std::string, kOnvifColumns>;

// The MAC in the cameras' upper-case colon form ("" unknown), the address, what the camera said
// of itself, its name scope, its clock against this PC's ("3 h 12 min behind"; "" unknown) and
// the notes: how far reading it got and why a reading failed ("reading…" until the first
// reading ends).
OnvifRowCells onvifRowCells(const onvif::OnvifCamera& camera);

// "http://10.0.0.5/", with ":8080" when the camera's web port is not 80; "" without an address.
std::string onvifWebPageUrl(const onvif::OnvifCamera& camera);

// The texts the filter looks in: the MAC, address, model and serial as on the other pages, and
// the manufacturer and name an installer knows an ONVIF camera by.
std::array<std::string, 6> onvifFilterFields(const onvif::OnvifCamera& camera);

}  // namespace pelmora
