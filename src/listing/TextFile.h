#pragma once
// Whole files read and written safely: a read that names the system's reason for a file that
// cannot be read (a directory included), and a write that never leaves half a file under the
// chosen name.

#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

// Which files a read takes. A list given by name may come from a pipe (a process
// substitution); a file the tools keep for themselves must be a regular file, since a FIFO
// or a device put in its place would hang the read or never end.
enum class FileKinds { Any, RegularOnly };

// The file's bytes, or nothing with `reason` set to "PATH: reason" and errno to its cause
// ("PATH: not a regular file" and EINVAL for one that `kinds` refuses, found without waiting).
std::optional<std::string> readTextFile(const std::string& path, std::string& reason,
                                        FileKinds kinds = FileKinds::Any);

// "PATH: not a regular file".
std::string notRegularFileReason(const std::string& path);

// Writes `bytes` to a new file in the target's directory, flushes it to the disk and renames it
// over `path`. Empty on success, else the system's reason; the target is untouched on failure.
std::string writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace pelmora
