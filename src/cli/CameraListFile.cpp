#include "cli/CameraListFile.h"

#include <cstdio>

#include "listing/TextFile.h"

namespace pelmora {

std::optional<CameraList> readListFile(const std::string& path) {
    std::string reason;
    const auto text = readTextFile(path, reason);
    if (!text) {
        std::fprintf(stderr, "pelmora-cli: %s\n", reason.c_str());
        return std::nullopt;
    }
    auto read = readCameraList(*text, path);
    if (!read.list) {
        std::fprintf(stderr, "pelmora-cli: %s\n", read.error.c_str());
    }
    return std::move(read.list);
}

}  // namespace pelmora
