#include "board/options.h"

#include <getopt.h>

#include <cstdlib>

const char kBoardUsage[] =
    "Usage: driftbeam-board [OPTION]...\n"
    "A board of driftbeam's best games: every game submitted is replayed before it ranks.\n"
    "\n"
    "  --db PATH|URL       an SQLite file (created if need be; default board.sqlite), or a\n"
    "                      postgresql:// URL\n"
    "  --listen ADDR:PORT  where to listen (default 127.0.0.1:8080; port 0 takes a free one);\n"
    "                      an IPv6 address goes in brackets, [::1]:8080\n"
    "  --page DIR          serve the game's page from DIR at /, with a submit button\n"
    "  --workers N         games checked at once (default: one per core)\n"
    "  --queue N           games that may wait for a check (default: eight per worker)\n"
    "  -h, --help          print this and exit\n"
    "      --version       print the version and exit\n";

namespace {

bool ReadNumber(const char* text, int least, int most, int* value) {
  char* end = nullptr;
  const long number = std::strtol(text, &end, 10);
  if (*text == '\0' || *end != '\0' || number < least || number > most) return false;
  *value = static_cast<int>(number);
  return true;
}

bool ReadListen(const std::string& text, BoardOptions* options) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  std::string host = text.substr(0, colon);
  if (host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return false;
    host = host.substr(1, host.size() - 2);
  }
  options->host = host;
  return ReadNumber(text.c_str() + colon + 1, 0, 65535, &options->port);
}

}  // namespace

bool ParseBoardOptions(int argc, char* argv[], BoardOptions* options, std::string* error) {
  static const option kLong[] = {
      {"db", required_argument, nullptr, 'd'},    {"listen", required_argument, nullptr, 'l'},
      {"page", required_argument, nullptr, 'p'},  {"workers", required_argument, nullptr, 'w'},
      {"queue", required_argument, nullptr, 'q'}, {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, 'v'},     {nullptr, 0, nullptr, 0}};
  opterr = 0;
  optind = 1;
  int index = 0;
  for (int c; (c = getopt_long(argc, argv, ":h", kLong, &index)) != -1;) {
    const std::string value = optarg ? optarg : "";
    bool good = true;
    switch (c) {
      case 'd':
        good = !value.empty(), options->db = value;
        break;
      case 'l':
        good = ReadListen(value, options);
        break;
      case 'p':
        good = !value.empty(), options->page = value;
        break;
      case 'w':
        good = ReadNumber(optarg, 1, 256, &options->workers);
        break;
      case 'q':
        good = ReadNumber(optarg, 1, 10000, &options->queue);
        break;
      case 'h':
        options->help = true;
        break;
      case 'v':
        options->version = true;
        break;
      case ':':
        *error = std::string("option ") + argv[optind - 1] + " needs a value";
        return false;
      default:
        *error = std::string("unknown option ") + argv[optind - 1];
        return false;
    }
    if (!good) {
      *error = std::string("bad value for --") + kLong[index].name + ": '" + value + "'";
      return false;
    }
  }
  if (optind < argc) {
    *error = std::string("unexpected argument '") + argv[optind] + "'";
    return false;
  }
  return true;
}
