#include "shell/posted_messages.h"

constexpr int QUEUE_SIZE = 64;
static HostMessage queue[QUEUE_SIZE];
static int queueFirst = 0;
static int queueCount = 0;
static bool quitPosted = false;
static int quitCode = 0;

void postQueuedMessage(HostWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (queueCount == QUEUE_SIZE) return;
    queue[(queueFirst + queueCount) % QUEUE_SIZE] = HostMessage{window, message, wParam, lParam};
    ++queueCount;
}

void postQueuedQuit(int exitCode)
{
    quitPosted = true;
    quitCode = exitCode;
}

bool takeQueuedMessage(HostMessage& message)
{
    if (queueCount > 0) {
        message = queue[queueFirst];
        queueFirst = (queueFirst + 1) % QUEUE_SIZE;
        --queueCount;
        return true;
    }
    if (quitPosted) {
        quitPosted = false;
        message = HostMessage{nullptr, WM_QUIT, static_cast<uintptr_t>(quitCode), 0};
        return true;
    }
    return false;
}

bool queuedMessageWaiting() { return queueCount > 0 || quitPosted; }
