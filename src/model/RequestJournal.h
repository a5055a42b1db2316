#pragma once
// What the camera table tells a record keeper of the setting requests it tracks: each request as
// it is registered to be sent (Retry included), and each outcome as it becomes known. Calls are
// made without the table's lock held, from the UI thread (sent, no response) or the receive
// thread (answers); an implementation must be quick and must not call back into the table.

#include <string_view>

#include "model/CameraRecord.h"

namespace pelmora {

// NotSent: the request could not be sent at all (no route), so no answer will come.
enum class RequestOutcome { Accepted, Refused, Message, NoResponse, NotSent };

class RequestJournal {
  public:
    virtual ~RequestJournal() = default;

    // `slot`: the pending slot that tracks the request, −1 when it goes untracked. `listed`:
    // the camera's record as the table holds it, or null when the camera is not in the table.
    virtual void requestSent(int slot, std::string_view mac, std::string_view request,
                             const CameraRecord* listed) = 0;
    // The request tracked by `slot` was answered or went unanswered. `text`: the camera's own
    // words, for RequestOutcome::Message.
    virtual void requestSettled(int slot, RequestOutcome outcome, std::string_view text) = 0;
};

}  // namespace pelmora
