// tessel-keyfail: the desktop program whose key source refuses to open, to
// show the start-up's failure path in a real window.
#include <gtk/gtk.h>

#include "shell/emulator.h"
#include "shell/host.h"

int main()
{
    reportedKeysRefuseToOpen = true;
    g_set_prgname("tessel-keyfail");
    gtk_init_check(nullptr, nullptr);
    return emulatorMain();
}
