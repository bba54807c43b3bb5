#include "job/UtliMiscNonUtf8.h"

namespace linkmend {

std::string SplitOff(std::string& text, const std::string& delimiter) {
    const auto at = delimiter.empty() ? std::string::npos : text.find(delimiter);
    if (at == std::string::npos) {
        std::string all;
        all.swap(text);
        return all;
    }
    std::string head = text.substr(0, at);
    text.erase(0, at + delimiter.size());
    return head;
}

}  // namespace linkmend
