#include "onvif/OnvifCamera.h"

namespace pelmora::onvif {

std::string_view accessText(Access access) {
    switch (access) {
        case Access::Read:
            return "read";
        case Access::CredentialsNeeded:
            return "credentials needed";
        case Access::CredentialsRefused:
            return "credentials refused";
        case Access::Unreachable:
            return "unreachable";
        case Access::Unread:
            break;
    }
    return "unread";
}

}  // namespace pelmora::onvif
