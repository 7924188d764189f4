// How often one address may submit: a bucket of tokens per address, each submission taking
// one, refilled at a steady pace up to what a burst may take.
#pragma once

#include <map>
#include <mutex>
#include <string>

struct Buckets {
  double perSecond;  // tokens refilled each second
  double most;       // what a full bucket holds
  std::mutex mutex;
  std::map<std::string, std::pair<double, double>> tokens;  // address: tokens, when counted
};

// Takes a token from the address's bucket at `now` (seconds, any steady clock); false when
// it is empty. Buckets that have refilled are forgotten once there are many.
bool TakeToken(Buckets* buckets, const std::string& address, double now);
