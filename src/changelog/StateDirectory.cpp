#include "changelog/StateDirectory.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace pelmora {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string homeDirectory() {
    auto home = environment("HOME");
    if (home.empty()) {
        if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir) {
            home = entry->pw_dir;
        }
    }
    return home;
}

}  // namespace

std::string stateDirectory() {
    if (auto own = environment("PELMORA_STATE_DIR"); !own.empty()) {
        return own;
    }
    // A relative $XDG_STATE_HOME is invalid by the base directory rules and is ignored.
    if (auto xdg = environment("XDG_STATE_HOME"); !xdg.empty() && xdg.front() == '/') {
        return xdg + "/pelmora";
    }
    const auto home = homeDirectory();
    return home.empty() ? std::string() : home + "/.local/state/pelmora";
}

std::string makeDirectories(const std::string& path) {
    if (path.empty()) {
        return "no directory for the record: neither PELMORA_STATE_DIR, XDG_STATE_HOME nor HOME "
               "is set";
    }
    for (std::size_t at = 1; at <= path.size(); ++at) {
        if (at != path.size() && path[at] != '/') {
            continue;
        }
        const auto part = path.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return part + ": " + std::strerror(errno);
        }
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return path + ": " + std::strerror(errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        return path + ": " + std::strerror(ENOTDIR);
    }
    return {};
}

}  // namespace pelmora
