#pragma once
// The change log on disk: JSON Lines appended to changes.jsonl in one directory, each line with
// one write on a descriptor opened with O_APPEND, so that several processes appending at once
// never break each other's lines. The file is kept private (0600) and is moved to
// changes.jsonl.1 before a line would take it past its size limit.

#include <cstdint>
#include <string>
#include <string_view>

namespace pelmora {

inline constexpr std::uint64_t kChangeLogRotateAt = 5 * 1024 * 1024;
inline constexpr char kChangeLogName[] = "changes.jsonl";

class ChangeLogFile {
  public:
    explicit ChangeLogFile(std::string directory, std::uint64_t rotateAt = kChangeLogRotateAt);

    // Appends `line`, which ends in "\n". Empty on success, else the system's reason, or "PATH:
    // not a regular file" for a FIFO, device, socket or symbolic link in the file's place (found
    // at once, never waiting for a reader). The file is opened afresh for each line, so a
    // rotation by another process is followed at once.
    std::string append(std::string_view line);

    const std::string& directory() const { return directory_; }
    std::string path() const { return directory_ + "/" + kChangeLogName; }
    std::string previousPath() const { return path() + ".1"; }

  private:
    std::string directory_;
    std::uint64_t rotateAt_;
};

}  // namespace pelmora
