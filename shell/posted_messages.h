// The message queue of a host whose toolkit reports events through callbacks
// (GTK, the browser page): the callbacks post the Windows messages the window
// procedure expects, and the host's peek hands them out one at a time.
#pragma once

#include "shell/host.h"

// Messages come a few at a time; a full queue drops the message.
void postQueuedMessage(HostWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// As on Windows, the quit request is a flag that turns into WM_QUIT once no
// other message waits.
void postQueuedQuit(int exitCode);
// The next message, the quit last; false when none waits.
bool takeQueuedMessage(HostMessage& message);
bool queuedMessageWaiting();
