#include "board/submission.h"

#include <cstdint>
#include <nlohmann/json.hpp>

namespace {

// Characters that print nothing of their own or move what follows: C0 and C1 controls, the
// line and paragraph separators, and the marks that turn text right to left, with which a
// name could dress up as another on the board.
bool Prints(uint32_t c) {
  return c >= 0x20 && c != 0x7f && !(c >= 0x80 && c < 0xa0) && !(c >= 0x200b && c <= 0x200f) &&
         !(c >= 0x2028 && c <= 0x202e) && !(c >= 0x2066 && c <= 0x2069) && c != 0xfeff;
}

// The characters of a name in valid UTF-8, as the JSON reader leaves every string; false where
// one does not print or there are too many.
bool ReadName(const std::string& name, std::string* error) {
  int count = 0;
  bool blank = true;
  for (size_t i = 0; i < name.size(); ++count) {
    const unsigned char lead = static_cast<unsigned char>(name[i]);
    const int length = lead < 0x80 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
    uint32_t c = length == 1 ? lead : lead & (0x7f >> length);
    for (int k = 1; k < length && i + k < name.size(); ++k) {
      c = c << 6 | (static_cast<unsigned char>(name[i + k]) & 0x3f);
    }
    i += length;
    if (!Prints(c)) {
      *error = "a name holds only characters that print";
      return false;
    }
    if (c != ' ') blank = false;
  }
  if (blank) {
    *error = "a name is needed";
    return false;
  }
  if (count > kMostNameCharacters) {
    *error = "a name has at most 20 characters";
    return false;
  }
  return true;
}

}  // namespace

bool ReadSubmission(const std::string& body, Submission* submission, std::string* error) {
  const nlohmann::json json = nlohmann::json::parse(body, nullptr, false);
  if (!json.is_object()) {
    *error = "the body is not a JSON object";
    return false;
  }
  const auto name = json.find("name");
  const auto game = json.find("game");
  if (name == json.end() || !name->is_string() || game == json.end() || !game->is_string()) {
    *error = "the body needs \"name\" and \"game\", both strings";
    return false;
  }
  submission->name = name->get<std::string>();
  submission->game = game->get<std::string>();
  return ReadName(submission->name, error);
}
