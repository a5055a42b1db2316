#pragma once
// A process that holds a camera's password (typed, read from a file or standard input, or
// encoded for a request) must not leave it in a core dump, which other tools and users may
// read later. Once a secret is in memory the process is made non-dumpable for the rest of its
// life: no core file, and no other process of the same user may read its memory.

namespace pelmora {

// Idempotent and cheap; safe to call each time a secret is obtained.
void keepSecretsOutOfCoreDumps();

// Whether the process may still be dumped (false once the call above has run).
bool coreDumpsAllowed();

}  // namespace pelmora
