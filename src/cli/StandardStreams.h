#pragma once
// Standard output as a result a script relies on: a write that failed (a full disk, a closed
// descriptor) must not end in success.

#include <cstdio>
#include <string_view>

namespace pelmora {

// Puts /dev/null on descriptors 0 to 2 where they are closed, so that no socket the program
// opens takes their place and receives what is meant for them. A closed standard output gets
// a descriptor that refuses writes, so output still fails as it would have.
void reserveStandardStreams();

// Writes `text` to `out`, keeping the reason of the first failed write for
// finishStandardOutput: it is lost once later calls have set errno again.
void writeOutput(std::FILE* out, std::string_view text);

// Flushes standard output; true when that or any earlier write to it failed. For a command
// whose own failure status differs from finishStandardOutput's 1.
bool standardOutputFailed();

// Flushes standard output. When that or any earlier write to it failed, writes one line with
// the reason on standard error and turns exit code 0 into 1; other codes are kept.
int finishStandardOutput(int exitCode);

}  // namespace pelmora
