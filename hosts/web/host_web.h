// The browser host's own verbs beyond host.h, for the web program's main
// and the page's script. The page cannot stay inside the message loop, so
// it runs the loop's passes from its callbacks and needs to know when one
// is due.
#pragma once

#include <cstdint>

// The host's clock counts microseconds (the page's clock has no finer grain).
constexpr int64_t WEB_CLOCK_TICKS_PER_SECOND = 1000000;

// The menu command whose Open dialog a file chosen in the browser's file
// chooser, or dropped onto the page, answers.
void webAnswerFilesWith(uint16_t commandId);
// A message waits to be taken.
bool webMessageWaiting();
