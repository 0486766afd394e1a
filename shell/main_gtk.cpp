// tessel: the emulator on the Linux desktop, over the GTK host.
#include <gtk/gtk.h>

#include "shell/emulator.h"

int main()
{
    constexpr int SHOW_NORMAL = 1;  // the window opens neither hidden nor minimised
    g_set_prgname("tessel");
    // The program takes no options, so the toolkit gets none either. Without a
    // display the window cannot be created, and the start fails there.
    gtk_init_check(nullptr, nullptr);
    return emulatorMain(nullptr, SHOW_NORMAL);
}
