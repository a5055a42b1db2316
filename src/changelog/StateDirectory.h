#pragma once
// Where the tool keeps what it records between runs: $PELMORA_STATE_DIR, else
// $XDG_STATE_HOME/pelmora, else ~/.local/state/pelmora.

#include <string>

namespace pelmora {

// The directory by the environment's rules; empty when none can be named (no home at all).
std::string stateDirectory();

// Creates `path` and any missing parent, each new one with mode 0700. Empty on success, else
// the system's reason naming the directory that could not be made.
std::string makeDirectories(const std::string& path);

}  // namespace pelmora
