#include "app/page_script.h"

#include <emscripten.h>

void TellPage(const char* event, const std::string& text, int a, int b) {
  // A page without the script (a test's bare shell) plays on, hearing nothing.
  EM_ASM(
      {
        if (window.driftbeamPage) driftbeamPage.hear(UTF8ToString($0), UTF8ToString($1), $2, $3);
      },
      event, text.c_str(), a, b);
}
