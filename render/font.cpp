#include "render/font.h"

unsigned int g_fontListBase = 0;

void BuildFont() {}
