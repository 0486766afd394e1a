// tessel: the emulator on the Linux desktop, over the GTK host.
#include <gtk/gtk.h>

#include "shell/emulator.h"

int main()
{
    g_set_prgname("tessel");
    // The program takes no options, so the toolkit gets none either. Without a
    // display the window cannot be created and the start fails there; the
    // toolkit's reason goes to standard error first, the one word of a
    // failed start, since on Linux it is the usual one.
    GError* noDisplay = nullptr;
    if (!gtk_init_with_args(nullptr, nullptr, nullptr, nullptr, nullptr, &noDisplay) && noDisplay) {
        g_printerr("tessel: %s\n", noDisplay->message);
        g_error_free(noDisplay);
    }
    return emulatorMain();
}
