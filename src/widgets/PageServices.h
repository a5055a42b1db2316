#pragma once
// What a page needs from the application besides the camera table: a way to send, a place to
// show messages, and a way to open a camera's web page (tests replace each).

#include <QString>
#include <functional>

#include "model/TableNotifier.h"

namespace pelmora {

class MessagePort;

struct PageServices {
    DatagramSender send;
    MessagePort* messages = nullptr;
    std::function<void(const QString& url)> openUrl;
};

}  // namespace pelmora
