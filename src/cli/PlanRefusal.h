#pragma once
// A plan that plan or apply-plan refuses: "Plan refused:" and each reason on its own line.

#include <cstdio>
#include <string>
#include <vector>

namespace pelmora {

// Writes the refusal to `stream` (plan says it on stderr: its standard output is the plan,
// often sent to a file) and returns exit code 1.
int refusePlan(const std::vector<std::string>& reasons, std::FILE* stream = stdout);

}  // namespace pelmora
