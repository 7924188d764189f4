#include "board/rate.h"

#include <algorithm>

namespace {

// Addresses remembered at once. Past it, buckets back to full are dropped (they would be
// created full again); if every one is still in use, a new address waits for room, so that a
// flood of addresses cannot grow the board's memory without end.
constexpr size_t kMostAddresses = 100000;

}  // namespace

bool TakeToken(Buckets* buckets, const std::string& address, double now) {
  std::lock_guard<std::mutex> hold(buckets->mutex);
  auto& tokens = buckets->tokens;
  const auto level = [&](const std::pair<double, double>& b) {
    return std::min(buckets->most, b.first + (now - b.second) * buckets->perSecond);
  };
  auto found = tokens.find(address);
  if (found == tokens.end()) {
    if (tokens.size() >= kMostAddresses) {
      for (auto b = tokens.begin(); b != tokens.end();) {
        b = level(b->second) >= buckets->most ? tokens.erase(b) : std::next(b);
      }
      if (tokens.size() >= kMostAddresses) return false;
    }
    found = tokens.emplace(address, std::make_pair(buckets->most, now)).first;
  }
  std::pair<double, double>& bucket = found->second;
  bucket = {level(bucket), now};
  if (bucket.first < 1) return false;
  bucket.first -= 1;
  return true;
}
