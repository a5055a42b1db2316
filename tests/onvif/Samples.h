#pragma once
// A seed message of an ONVIF fuzz target, e.g. sample("onvif_soap", "dns.xml").

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace pelmora::onvif {

inline std::string sample(const std::string& target, const std::string& name) {
    const std::string path = std::string(PELMORA_FUZZ_CORPUS) + "/" + target + "/" + name;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("no sample " + path);
    }
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace pelmora::onvif
