#pragma once
// Small text utilities of the job.
#include <string>

namespace linkmend {

// Takes the text before the first delimiter off `text` and returns it; `text` keeps what follows
// the delimiter. Without a delimiter the whole text is taken and `text` becomes empty.
std::string SplitOff(std::string& text, const std::string& delimiter);

}  // namespace linkmend
