#include "board/api.h"

#include <openssl/evp.h>

#include <chrono>
#include <ctime>
#include <nlohmann/json.hpp>

#include "board/board_page.h"
#include "board/submission.h"

namespace {

using nlohmann::json;

constexpr int kDefaultLimit = 50;
constexpr int kMostLimit = 100;
constexpr int64_t kDayMilliseconds = 24 * 3600 * 1000;
constexpr int kBusyRetrySeconds = 5;  // a check takes a fraction of a second; the queue drains

int64_t NowMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

double NowSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string Iso(int64_t milliseconds) {
  const time_t seconds = static_cast<time_t>(milliseconds / 1000);
  tm utc;
  gmtime_r(&seconds, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

// A name is whatever a player typed; it leaves as a JSON string, never as markup.
void Send(httplib::Response& res, int status, const json& body) {
  res.status = status;
  res.set_content(body.dump(-1, ' ', false, json::error_handler_t::replace), "application/json");
}

void Refuse(httplib::Response& res, int status, const std::string& line) {
  Send(res, status, {{"error", line}});
}

json Describe(const Entry& entry) {
  return {{"rank", entry.rank},   {"id", entry.id},       {"name", entry.name},
          {"score", entry.score}, {"steps", entry.steps}, {"at", Iso(entry.at)},
          {"link", entry.link}};
}

// What tells one game from another: its link, the same bytes for the same keys.
std::string Digest(const std::string& link) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(link.data(), link.size(), digest, &size, EVP_sha256(), nullptr);
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < size; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

// The checker's answer: "STATUS SCORE STEPS", then the link or the line that refuses it,
// then, for a file, the file.
struct Answer {
  int status = 0;
  int score = 0;
  long long steps = 0;
  std::string line;
  std::string rest;
};

bool ReadAnswer(const std::string& output, Answer* answer) {
  const size_t first = output.find('\n');
  const size_t second = first == std::string::npos ? first : output.find('\n', first + 1);
  if (second == std::string::npos || std::sscanf(output.c_str(), "%d %d %lld", &answer->status,
                                                 &answer->score, &answer->steps) != 3) {
    return false;
  }
  answer->line = output.substr(first + 1, second - first - 1);
  answer->rest = output.substr(second + 1);
  return true;
}

// Runs a check and answers for it where it did not end in an answer.
bool Check(Board* board, httplib::Response& res, const char* mode, const std::string& text,
           Answer* answer) {
  std::string output;
  switch (RunCheck(board->checks, mode, text, &output)) {
    case CheckRun::kBusy:
      res.set_header("Retry-After", std::to_string(kBusyRetrySeconds));
      Refuse(res, 503, "every checker is busy and the queue is full: try again shortly");
      return false;
    case CheckRun::kKilled:
      Refuse(res, 422, "the game takes longer to check than a game of its length may");
      return false;
    case CheckRun::kDone:
      if (ReadAnswer(output, answer)) return true;
      [[fallthrough]];
    case CheckRun::kFailed:
      break;
  }
  Refuse(res, 500, "the check failed on the board's side");
  return false;
}

// Takes a token of the address's bucket, or refuses the request with when to come back.
bool Admitted(Buckets* buckets, const char* what, const httplib::Request& req,
              httplib::Response& res) {
  if (TakeToken(buckets, req.remote_addr, NowSeconds())) return true;
  res.set_header("Retry-After", std::to_string(static_cast<int>(1 / buckets->perSecond + 0.999)));
  Refuse(res, 429, std::string("too many ") + what + " from this address: wait a little");
  return false;
}

void Submit(Board* board, const httplib::Request& req, httplib::Response& res) {
  if (!Admitted(board->buckets, "submissions", req, res)) return;
  Submission submission;
  std::string error;
  if (!ReadSubmission(req.body, &submission, &error)) {
    Refuse(res, 400, error);
    return;
  }
  Answer answer;
  if (!Check(board, res, "--rank", submission.game, &answer)) return;
  if (answer.status != 201) {
    Refuse(res, answer.status == 413 ? 413 : 422, answer.line);
    return;
  }
  Entry entry;
  entry.name = submission.name;
  entry.score = answer.score;
  entry.steps = answer.steps;
  entry.at = NowMilliseconds();
  entry.link = answer.line;
  // The answer waits for the commit: a game acknowledged is a game kept.
  if (!board->store->Add(&entry, Digest(entry.link))) {
    Send(res, 409, {{"error", "this game is on the board already"}, {"id", entry.id}});
    return;
  }
  res.set_header("Location", "/api/scores/" + std::to_string(entry.id));
  Send(res, 201, {{"id", entry.id}, {"score", entry.score}, {"rank", entry.rank}});
}

void List(Board* board, const httplib::Request& req, httplib::Response& res) {
  const std::string period = req.has_param("period") ? req.get_param_value("period") : "all";
  const int64_t now = NowMilliseconds();
  int64_t since = 0;
  if (period == "day") {
    since = now - kDayMilliseconds;
  } else if (period == "week") {
    since = now - 7 * kDayMilliseconds;
  } else if (period != "all") {
    Refuse(res, 400, "period is all, week or day");
    return;
  }
  int limit = kDefaultLimit;
  if (req.has_param("limit")) {
    const std::string text = req.get_param_value("limit");
    limit = text.size() > 0 && text.size() <= 3 &&
                    text.find_first_not_of("0123456789") == std::string::npos
                ? std::stoi(text)
                : 0;
    if (limit < 1 || limit > kMostLimit) {
      Refuse(res, 400, "limit is a number from 1 to 100");
      return;
    }
  }
  json list = json::array();
  for (const Entry& entry : board->store->Ranked(since, limit)) list.push_back(Describe(entry));
  Send(res, 200, list);
}

bool FindEntry(Board* board, const httplib::Request& req, httplib::Response& res, Entry* entry) {
  const std::string id = req.matches[1];
  if (id.size() > 18 || !board->store->Find(std::stoll(id), entry)) {
    Refuse(res, 404, "no such entry");
    return false;
  }
  return true;
}

}  // namespace

void ServeBoard(httplib::Server* server, Board* board) {
  // The page served beside the board offers "submit" where it finds the board's header.
  server->set_default_headers(
      {{"X-Content-Type-Options", "nosniff"}, {"X-Driftbeam-Board", "api/scores"}});
  server->Post("/api/scores", [board](const httplib::Request& req, httplib::Response& res) {
    Submit(board, req, res);
  });
  server->Get("/api/scores", [board](const httplib::Request& req, httplib::Response& res) {
    List(board, req, res);
  });
  server->Get(R"(/api/scores/(\d+)\.rec)", [board](const httplib::Request& req,
                                                   httplib::Response& res) {
    // A file is made by replaying the game on a checker, the checkers that submissions wait
    // for: one address may not keep them busy.
    Entry entry;
    Answer answer;
    if (!FindEntry(board, req, res, &entry) || !Admitted(board->files, "files", req, res) ||
        !Check(board, res, "--file", entry.link, &answer)) {
      return;
    }
    // Every kept game was proven once: one that fails now is the board's fault, not the game's.
    if (answer.status != 201) {
      Refuse(res, 500, "the kept game no longer checks: " + answer.line);
      return;
    }
    res.set_header("Content-Disposition",
                   "attachment; filename=\"driftbeam-" + std::to_string(entry.id) + ".rec\"");
    res.set_content(answer.rest, "text/plain; charset=utf-8");
  });
  server->Get(R"(/api/scores/(\d+))", [board](const httplib::Request& req, httplib::Response& res) {
    Entry entry;
    if (FindEntry(board, req, res, &entry)) Send(res, 200, Describe(entry));
  });
  server->Get("/board", [](const httplib::Request&, httplib::Response& res) {
    res.set_header(
        "Content-Security-Policy",
        "default-src 'self'; img-src data:; script-src 'unsafe-inline'; style-src 'unsafe-inline'");
    res.set_content(kBoardPage, "text/html; charset=utf-8");
  });
  // What the server itself refuses: a body over the limit, a path it has nothing at.
  server->set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (res.status == 413 && res.body.empty()) Refuse(res, 413, "the body is larger than 1 MB");
  });
  server->set_exception_handler(
      [](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        res.set_header("Retry-After", std::to_string(kBusyRetrySeconds));
        Refuse(res, 503, "the board's database cannot be reached: try again shortly");
      });
}
