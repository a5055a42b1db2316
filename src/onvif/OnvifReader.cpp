#include "onvif/OnvifReader.h"

#include <curl/curl.h>

#include <algorithm>
#include <mutex>
#include <stdexcept>

#include "onvif/CameraReadings.h"
#include "onvif/NetworkInterfaces.h"
#include "onvif/Randomness.h"
#include "onvif/UsernameToken.h"

namespace pelmora::onvif {
namespace {

constexpr DeviceOperation kReadings[] = {
    DeviceOperation::GetDeviceInformation,     DeviceOperation::GetNetworkInterfaces,
    DeviceOperation::GetNetworkDefaultGateway, DeviceOperation::GetDNS,
    DeviceOperation::GetNetworkProtocols,      DeviceOperation::GetScopes,
};

CURLM* multiOf(void* multi) {
    return static_cast<CURLM*>(multi);
}

// What one answer came to, whatever the operation.
struct Verdict {
    enum Kind { Value, NotAuthorized, Fault, NotSoap } kind = NotSoap;
    std::string words;  // a fault's reason, or why the bytes were not an answer
};

template <typename T, typename Apply>
Verdict judge(const DeviceReply<T>& reply, Apply apply) {
    if (reply.value) {
        apply(*reply.value);
        return {Verdict::Value, {}};
    }
    if (reply.fault) {
        return {reply.fault->notAuthorized() ? Verdict::NotAuthorized : Verdict::Fault,
                reply.fault->reason};
    }
    return {Verdict::NotSoap, reply.problem};
}

// "GetDNS: words; GetScopes and 5 more: other words": a camera that answers every request
// with the same fault says so once.
std::string joinNotes(const std::vector<std::pair<std::string, std::string>>& notes) {
    std::vector<std::pair<std::string, std::vector<std::string>>> byWords;
    for (const auto& note : notes) {
        const auto& [operation, words] = note;
        auto found = std::find_if(byWords.begin(), byWords.end(), [&note](const auto& entry) {
            return entry.first == note.second;
        });
        if (found == byWords.end()) {
            found = byWords.insert(byWords.end(), {words, {}});
        }
        found->second.push_back(operation);
    }
    std::string joined;
    for (const auto& [words, operations] : byWords) {
        joined += joined.empty() ? "" : "; ";
        if (!operations.front().empty()) {
            joined += operations.front();
            if (operations.size() > 1) {
                joined += " and " + std::to_string(operations.size() - 1) + " more";
            }
            joined += ": ";
        }
        joined += words;
    }
    return joined;
}

}  // namespace

OnvifReader::OnvifReader(OnvifReaderOptions options) : options_(std::move(options)) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    multi_ = curl_multi_init();
    if (multi_ == nullptr) {
        throw std::runtime_error("libcurl could not make a multi handle");
    }
    options_.maxInFlight = std::max<std::size_t>(1, options_.maxInFlight);
}

OnvifReader::~OnvifReader() {
    for (auto& active : active_) {
        curl_multi_remove_handle(multiOf(multi_), active.transfer->handle());
    }
    active_.clear();
    curl_multi_cleanup(multiOf(multi_));
}

std::size_t OnvifReader::add(OnvifCamera camera) {
    const auto index = cameras_.size();
    if (camera.serviceAddress.empty()) {
        camera.serviceAddress = chooseServiceAddress(camera.xaddrs, camera.answeredFrom);
    }
    cameras_.push_back(std::move(camera));
    progress_.emplace_back();
    if (cameras_.back().serviceAddress.empty()) {
        progress_.back().unreachable = true;
        progress_.back().notes.emplace_back(
            "", "no device service address on the address it answered from");
        finish(index);
    } else {
        progress_.back().pending = 1;
        queue_.push_back({index, DeviceOperation::GetSystemDateAndTime, false});
    }
    return index;
}

void OnvifReader::stop() {
    stopped_ = true;
    curl_multi_wakeup(multiOf(multi_));
}

void OnvifReader::runUntil(Clock::time_point deadline) {
    while (!stopped_) {
        dispatch();
        int running = 0;
        curl_multi_perform(multiOf(multi_), &running);
        collect();
        const auto now = Clock::now();
        if (done() || now >= deadline) {
            return;
        }
        if (!queue_.empty() && active_.size() < options_.maxInFlight) {
            continue;  // a request finished: its place goes to the next at once
        }
        const auto wait = std::min<Clock::duration>(deadline - now, std::chrono::seconds(1));
        curl_multi_poll(
            multiOf(multi_), nullptr, 0,
            static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count()), nullptr);
    }
}

void OnvifReader::dispatch() {
    while (active_.size() < options_.maxInFlight && !queue_.empty()) {
        const auto job = queue_.front();
        queue_.pop_front();
        auto& progress = progress_[job.camera];
        // A camera found unreachable or refusing is asked nothing more.
        if (progress.unreachable || progress.refused) {
            if (--progress.pending == 0) {
                finish(job.camera);
            }
            continue;
        }
        const auto& camera = cameras_[job.camera];
        const auto* credentials = options_.credentials ? &*options_.credentials : nullptr;
        const bool signedRequest =
            credentials != nullptr &&
            (job.operation != DeviceOperation::GetSystemDateAndTime || job.digest);
        const auto sentAt = std::chrono::system_clock::now();
        std::string body;
        if (signedRequest) {
            // Dated by the camera's clock: a camera refuses a token far from its own time.
            const auto created = std::chrono::floor<std::chrono::seconds>(sentAt) +
                                 progress.offset.value_or(std::chrono::seconds{0});
            const UsernameToken token{credentials->user, credentials->password,
                                      randomBytes(kNonceBytes), created};
            body = makeDeviceRequest(job.operation, &token);
        } else {
            body = makeDeviceRequest(job.operation);
        }
        auto transfer = std::make_unique<SoapTransfer>(camera.serviceAddress, std::move(body),
                                                       soapAction(job.operation), options_.limits,
                                                       job.digest ? credentials : nullptr);
        curl_multi_add_handle(multiOf(multi_), transfer->handle());
        active_.push_back({std::move(transfer), job, sentAt});
        mostInFlight_ = std::max(mostInFlight_, active_.size());
    }
}

void OnvifReader::collect() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multiOf(multi_), &left)) {
        if (message->msg != CURLMSG_DONE) {
            continue;
        }
        const auto found = std::find_if(active_.begin(), active_.end(), [&](const Active& a) {
            return a.transfer->handle() == message->easy_handle;
        });
        if (found == active_.end()) {
            continue;
        }
        const int result = message->data.result;
        curl_multi_remove_handle(multiOf(multi_), found->transfer->handle());
        Active active = std::move(*found);
        active_.erase(found);
        complete(active, result);
    }
}

void OnvifReader::complete(Active& active, int result) {
    const auto& job = active.job;
    auto& progress = progress_[job.camera];
    const std::string operation(operationName(job.operation));
    const bool credentials = options_.credentials.has_value();
    if (const auto failure = active.transfer->failure(result); !failure.empty()) {
        progress.unreachable = true;
        progress.notes.emplace_back(operation, failure);
    } else if (active.transfer->status() == 401) {
        if (credentials && !job.digest) {
            // Asked again, this time answering the camera's Digest challenge.
            progress.digest = true;
            queue_.push_front({job.camera, job.operation, true});
            return;
        }
        (credentials ? progress.refused : progress.needed) = true;
    } else {
        takeAnswer(active, progress);
    }
    if (job.operation == DeviceOperation::GetSystemDateAndTime && !progress.unreachable &&
        !progress.refused) {
        if (credentials) {
            queueReadings(job.camera);
        } else {
            progress.needed = true;
        }
    }
    if (--progress.pending == 0) {
        finish(job.camera);
    }
}

void OnvifReader::takeAnswer(const Active& active, Progress& progress) {
    auto& camera = cameras_[active.job.camera];
    const auto& answer = active.transfer->answer();
    Verdict verdict;
    switch (active.job.operation) {
        case DeviceOperation::GetSystemDateAndTime:
            verdict = judge(readSystemDateAndTime(answer), [&](const DeviceClock& clock) {
                if (clock.utc) {
                    progress.offset =
                        clockOffset(*clock.utc, active.sentAt, std::chrono::system_clock::now());
                    camera.clockOffset = progress.offset;
                }
            });
            break;
        case DeviceOperation::GetDeviceInformation:
            verdict = judge(readDeviceInformation(answer),
                            [&](const auto& v) { applyDeviceInformation(camera, v); });
            break;
        case DeviceOperation::GetNetworkInterfaces:
            verdict = judge(readNetworkInterfaces(answer),
                            [&](const auto& v) { applyNetworkInterfaces(camera, v); });
            break;
        case DeviceOperation::GetNetworkDefaultGateway:
            verdict = judge(readNetworkDefaultGateway(answer),
                            [&](const auto& v) { applyDefaultGateway(camera, v); });
            break;
        case DeviceOperation::GetDNS:
            verdict = judge(readDns(answer), [&](const auto& v) { applyDns(camera, v); });
            break;
        case DeviceOperation::GetNetworkProtocols:
            verdict = judge(readNetworkProtocols(answer),
                            [&](const auto& v) { applyNetworkProtocols(camera, v); });
            break;
        case DeviceOperation::GetScopes:
            verdict = judge(readScopes(answer), [&](const auto& v) { applyScopes(camera, v); });
            break;
    }
    const std::string operation(operationName(active.job.operation));
    switch (verdict.kind) {
        case Verdict::Value:
            progress.readings += active.job.operation != DeviceOperation::GetSystemDateAndTime;
            break;
        case Verdict::NotAuthorized:
            // The clock asked without credentials refused is no verdict on the credentials:
            // the readings are signed all the same, dated by this PC's clock.
            if (!options_.credentials) {
                progress.needed = true;
            } else if (active.job.operation != DeviceOperation::GetSystemDateAndTime ||
                       active.job.digest) {
                progress.refused = true;
            }
            break;
        case Verdict::Fault:
            // The camera answered, it just cannot do this one: the reading stays unknown.
            progress.notes.emplace_back(operation, verdict.words);
            break;
        case Verdict::NotSoap: {
            const auto status = active.transfer->status();
            progress.unreachable = true;
            progress.notes.emplace_back(
                operation,
                (status == 200 ? "" : "HTTP " + std::to_string(status) + ", ") + verdict.words);
            break;
        }
    }
}

void OnvifReader::queueReadings(std::size_t camera) {
    auto& progress = progress_[camera];
    // Before other cameras' first requests: a camera begun is finished first, so cameras are
    // listed as read one after another rather than all at the very end.
    for (auto operation = std::rbegin(kReadings); operation != std::rend(kReadings); ++operation) {
        queue_.push_front({camera, *operation, progress.digest});
        ++progress.pending;
    }
}

void OnvifReader::finish(std::size_t index) {
    auto& camera = cameras_[index];
    const auto& progress = progress_[index];
    // A camera that faulted every reading was not read, whatever it answered.
    const bool nothingRead = options_.credentials && progress.readings == 0;
    camera.access = progress.refused                      ? Access::CredentialsRefused
                    : progress.unreachable || nothingRead ? Access::Unreachable
                    : progress.needed                     ? Access::CredentialsNeeded
                                                          : Access::Read;
    camera.note = joinNotes(progress.notes);
    if (finished_) {
        finished_(index);
    }
}

}  // namespace pelmora::onvif
