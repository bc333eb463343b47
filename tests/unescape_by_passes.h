#pragma once

#include <string>
#include <utility>

namespace twk::test {

// The escape table read literally: six replace-all passes in order, each scanning the whole text
// from the start without overlaps, then blank removal. A second, slower way to the same text.
inline std::string unescapeByPasses(std::string text) {
  const std::pair<std::string, std::string> steps[] = {
      {"D7 DF", "FF"}, {"D7 D8", "F8"}, {"D7 D9", "F9"}, {"D7 DA", "FA"},
      {"D7 DE", "FB"}, {"D7 D6", "D7"}, {" ", ""}};
  for (const auto& [from, to] : steps) {
    std::string out;
    std::size_t at = 0;
    for (std::size_t hit; (hit = text.find(from, at)) != std::string::npos; at = hit + from.size()) {
      out += text.substr(at, hit - at) + to;
    }
    text = out + text.substr(at);
  }
  return text;
}

}  // namespace twk::test
