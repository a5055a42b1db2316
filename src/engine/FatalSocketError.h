#pragma once
// Socket failures that end the program, each with its one line of output and exit code.

namespace pelmora {

enum class FatalSocketError {
    CreateSocket = 1,
    SetSocketOption = 2,
    Bind = 3,
    Receive = 4,
    CloseSocket = 5,
};

inline int exitCodeOf(FatalSocketError error) {
    return static_cast<int>(error);
}

// "Error : Create Socket" and so on, without the newline.
const char* messageOf(FatalSocketError error);

}  // namespace pelmora
