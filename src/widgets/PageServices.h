#pragma once
// What a page needs from the application besides the camera table: a way to send, a place to
// show messages, and a way to open a camera's web page (tests replace each).

#include <QString>
#include <functional>
#include <string>

#include "model/TableNotifier.h"

namespace pelmora {

class MessagePort;
class CredentialStore;

// A setting answer routed away from the message box: accepted or not, and the words the box
// would have shown ("Setting OK", "Setting NG", the camera's own 8-bit text, "No Response").
using AnswerHandler = std::function<void(bool accepted, const std::string& words)>;

struct PageServices {
    DatagramSender send;
    MessagePort* messages = nullptr;
    std::function<void(const QString& url)> openUrl;
    // Routes camera `mac`'s setting answers to the handler, on the UI thread, instead of a box;
    // an empty MAC ends the routing. A plan applied from the window awaits its answers so.
    std::function<void(const std::string& mac, AnswerHandler)> routeAnswers;
    // Sends an enquiry now, so that a camera's new settings are heard soon.
    std::function<void()> enquireNow;
    // Where "Remember on this PC" keeps credentials; none: the box stays off.
    CredentialStore* keyring = nullptr;
};

}  // namespace pelmora
