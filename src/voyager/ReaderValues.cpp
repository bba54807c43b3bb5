#include "voyager/ReaderValues.h"

#include <algorithm>

#include "base/Numeric.h"

namespace linkmend {
namespace {
std::int16_t VersionNumber(std::string_view text) {
    const double v = Val(text);
    if (v > 32767.0) return 32767;
    if (v < -32768.0) return -32768;
    return static_cast<std::int16_t>(RoundToInt32(v));
}
}  // namespace

VgerVersionParts ParseVgerVersion(std::string_view version) {
    VgerVersionParts p;
    const std::size_t dot1 = version.find('.');
    if (dot1 == std::string_view::npos) {
        p.major = VersionNumber(version);
    } else {
        p.major = VersionNumber(version.substr(0, dot1));
        const std::string_view rest = version.substr(dot1 + 1);
        const std::size_t dot2 = rest.find('.');
        if (dot2 == std::string_view::npos) {
            p.minor = VersionNumber(rest);
        } else {
            p.minor = VersionNumber(rest.substr(0, dot2));
            const std::string_view third = rest.substr(dot2 + 1);
            p.third = VersionNumber(third.substr(0, third.find('.')));
        }
    }
    // Releases before 2000 were numbered by two-digit year; four-digit years are taken as they are.
    if (p.major >= 96 && p.major <= 99) {
        p.major = static_cast<std::int16_t>(p.major + 1900);
        p.minor = 0;
        p.third = 0;
    }
    return p;
}

std::string FormatItemPrice(std::string_view price, std::int32_t decimals, std::string_view delimiter) {
    if (price.empty() || decimals <= 0) return std::string(price);
    const auto d = static_cast<std::size_t>(decimals);
    std::string out;
    if (price.size() >= d) {
        out.append(price.substr(0, price.size() - d));
        out.append(delimiter);
        out.append(price.substr(price.size() - d));
    } else {
        const std::string padded = "000" + std::string(price);
        out = "0.";
        out.append(padded.substr(padded.size() - std::min(d, padded.size())));
    }
    return out;
}

}  // namespace linkmend
