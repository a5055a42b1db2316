#include "engine/FatalSocketError.h"

namespace pelmora {

const char* messageOf(FatalSocketError error) {
    switch (error) {
        case FatalSocketError::CreateSocket:
            return "Error : Create Socket";
        case FatalSocketError::SetSocketOption:
            return "Error : Set Socket Option";
        case FatalSocketError::Bind:
            return "Error : Bind";
        case FatalSocketError::Receive:
            return "Error : recvfrom";
        case FatalSocketError::CloseSocket:
            return "Error : Close Socket";
    }
    return "Error : unknown";
}

}  // namespace pelmora
