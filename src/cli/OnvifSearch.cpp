#include "cli/OnvifSearch.h"

#include <cstdio>
#include <string>

#include "listing/OnvifListing.h"
#include "onvif/OnvifReader.h"

namespace pelmora {

OnvifSearch::OnvifSearch(OnvifSearchOptions options, std::chrono::milliseconds wait)
    : options_(std::move(options)) {
    discovery_ = std::make_unique<onvif::OnvifDiscovery>(
        options_.discovery,
        [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
    discovery_->start();
    thread_ = std::thread([this, wait] { discovery_->runFor(wait); });
}

OnvifSearch::~OnvifSearch() {
    if (thread_.joinable()) {
        discovery_->stop();
        thread_.join();
    }
}

std::vector<onvif::OnvifCamera> OnvifSearch::finish() {
    thread_.join();
    onvif::OnvifReaderOptions options;
    options.credentials = options_.credentials;
    onvif::OnvifReader reader(options);
    for (auto& camera : discovery_->cameras()) {
        reader.add(std::move(camera));
    }
    reader.run();
    auto cameras = reader.cameras();
    sortOnvifCameras(cameras);
    return cameras;
}

}  // namespace pelmora
