// The GTK 3 host: one top-level window with a menu bar over a drawing area,
// a key snapshot kept from the window's key events, the monotonic clock and
// the toolkit's file chooser and message dialog.
//
// The spine's loop never waits, so the toolkit's main context is only ever
// turned one non-blocking iteration at a time, from hostPollEvents. What the
// toolkit reports there (menu choices, focus changes, the close button,
// drops, the middle click, keys) is posted to the spine as its events.
#include <gtk/gtk.h>

#include <cstring>
#include <ctime>

#include "hosts/gtk/program_icon.h"
#include "machine/dik.h"
#include "machine/surface.h"
#include "shell/host.h"

// ---- The window --------------------------------------------------------------

struct HostWindowRecord {
    GtkWidget* window;  // null until created and again once destroyed
    GtkWidget* area;    // the client area under the menu bar
    ClientSize client;
    double backgroundRed, backgroundGreen, backgroundBlue;
    // The last picture presented, shown again when the area is exposed.
    cairo_surface_t* picture;
    const uint32_t* picturePixels;
    int pictureX, pictureY;
};

static HostWindowRecord mainHost;
static HostWindowRecord* const theWindow = &mainHost;

// Events come only from toolkit callbacks inside a poll or a modal dialog.
static void post(HostEventKind kind) { postHostEvent(HostEvent{.kind = kind}); }

// ---- The key snapshot --------------------------------------------------------

// The keys are those the window's key events report. They are forgotten
// whenever the main window loses the focus, even to our own dialog, since
// keys released elsewhere never reach it.

// Whether the focus is in one of our windows (main window, menus, dialogs).
static bool applicationFocused = true;
static bool activationCheckQueued = false;

// X key codes are Linux input codes plus 8. Up to F12 those coincide with the
// DirectInput codes, but for two that DirectInput does not have; the extended
// keys have codes of their own.
static uint8_t directInputCode(unsigned hardwareKeycode)
{
    constexpr unsigned X_KEYCODE_OFFSET = 8;
    constexpr unsigned LAST_SHARED_CODE = DIK_F12;
    constexpr unsigned LINUX_UNUSED = 84;
    constexpr unsigned LINUX_ZENKAKU_HANKAKU = 85;
    if (hardwareKeycode < X_KEYCODE_OFFSET) return 0;
    unsigned code = hardwareKeycode - X_KEYCODE_OFFSET;
    if (code == LINUX_UNUSED || code == LINUX_ZENKAKU_HANKAKU) return 0;
    if (code <= LAST_SHARED_CODE) return static_cast<uint8_t>(code);
    static const struct {
        uint8_t linuxCode, directInputCode;
    } extendedKeys[] = {
        {96, DIK_NUMPADENTER}, {97, DIK_RCONTROL}, {98, DIK_DIVIDE}, {99, DIK_SYSRQ},  {100, DIK_RMENU},
        {102, DIK_HOME},       {103, DIK_UP},      {104, DIK_PRIOR}, {105, DIK_LEFT},  {106, DIK_RIGHT},
        {107, DIK_END},        {108, DIK_DOWN},    {109, DIK_NEXT},  {110, DIK_INSERT}, {111, DIK_DELETE},
        {119, DIK_PAUSE},      {125, DIK_LWIN},    {126, DIK_RWIN},  {127, DIK_APPS},
    };
    for (const auto& key : extendedKeys) {
        if (key.linuxCode == code) return key.directInputCode;
    }
    return 0;
}

static gboolean onKey(GtkWidget*, GdkEventKey* event, gpointer)
{
    uint8_t code = directInputCode(event->hardware_keycode);
    if (code != 0) reportHostKey(code, event->type == GDK_KEY_PRESS);
    // F10 and Alt combinations go on to the menu bar; every other key is the
    // emulated machine's alone.
    bool forMenu = event->keyval == GDK_KEY_F10 || (event->state & GDK_MOD1_MASK) != 0;
    return forMenu ? FALSE : TRUE;
}

// ---- Activation --------------------------------------------------------------

// Runs once the focus events that arrived together have all been handled, so
// focus passing between two of our windows is no change of activation.
static gboolean checkActivation(gpointer)
{
    activationCheckQueued = false;
    bool focused = false;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        if (gtk_window_is_active(GTK_WINDOW(w->data))) focused = true;
    }
    g_list_free(windows);
    if (focused == applicationFocused) return G_SOURCE_REMOVE;
    applicationFocused = focused;
    if (mainHost.window) post(focused ? HostEventKind::Activated : HostEventKind::Deactivated);
    return G_SOURCE_REMOVE;
}

static bool isMainWindow(GdkWindow* window)
{
    return mainHost.window && window && gdk_window_get_toplevel(window) == gtk_widget_get_window(mainHost.window);
}

// Sees every event of every window of the program, menus and dialogs
// included, before the toolkit handles it.
static void watchEvent(GdkEvent* event, gpointer)
{
    if (event->type == GDK_FOCUS_CHANGE) {
        // Keys released elsewhere never reach us: forget them all.
        if (!event->focus_change.in && isMainWindow(event->focus_change.window)) forgetHostKeys();
        if (!activationCheckQueued) {
            activationCheckQueued = true;
            g_idle_add(checkActivation, nullptr);
        }
    }
    gtk_main_do_event(event);
}

// ---- Drops and the middle click ---------------------------------------------

enum DropTarget : guint { DROP_FILES, DROP_TEXT };

static void acceptDrops(GtkWidget* window)
{
    gtk_drag_dest_set(window, static_cast<GtkDestDefaults>(GTK_DEST_DEFAULT_MOTION | GTK_DEST_DEFAULT_DROP), nullptr,
                      0, GDK_ACTION_COPY);
    // Files first: a file manager offers a file's name as text too.
    GtkTargetList* targets = gtk_target_list_new(nullptr, 0);
    gtk_target_list_add_uri_targets(targets, DROP_FILES);
    gtk_target_list_add_text_targets(targets, DROP_TEXT);
    gtk_drag_dest_set_target_list(window, targets);
    gtk_target_list_unref(targets);
}

// The spine copies the text of an event, so the toolkit's copy goes at once.
static void postText(HostEventKind kind, gchar* text)
{
    if (!text) return;
    postHostEvent(HostEvent{.kind = kind, .text = text, .length = std::strlen(text)});
    g_free(text);
}

static void onDragData(GtkWidget*, GdkDragContext*, gint, gint, GtkSelectionData* data, guint target, guint,
                       gpointer)
{
    if (target == DROP_FILES) {
        gchar** uris = gtk_selection_data_get_uris(data);
        // Several files: the first; one that is no local file is nothing.
        if (uris && uris[0]) postText(HostEventKind::DroppedFile, g_filename_from_uri(uris[0], nullptr, nullptr));
        g_strfreev(uris);
    } else {
        postText(HostEventKind::DroppedText, reinterpret_cast<gchar*>(gtk_selection_data_get_text(data)));
    }
}

static gboolean onButton(GtkWidget*, GdkEventButton* event, gpointer)
{
    constexpr guint MIDDLE_BUTTON = 2;
    if (event->type != GDK_BUTTON_PRESS || event->button != MIDDLE_BUTTON) return FALSE;
    // The area is the client area: its coordinates are the client's.
    postHostEvent(HostEvent{.kind = HostEventKind::Paste, .x = static_cast<int>(event->x), .y = static_cast<int>(event->y)});
    return TRUE;
}

// ---- Window and events --------------------------------------------------------

static gboolean onDelete(GtkWidget*, GdkEvent*, gpointer)
{
    // The close button asks; the spine destroys the window.
    post(HostEventKind::Close);
    return TRUE;
}

static void onMenuItem(GtkMenuItem*, gpointer command)
{
    postHostEvent(HostEvent{.kind = HostEventKind::Command, .command = static_cast<uint16_t>(GPOINTER_TO_UINT(command))});
}

// A menu that opens takes the keyboard: keys released meanwhile never reach
// the main window, so none is left down.
static void onGrabNotify(GtkWidget*, gboolean wasGrabbed, gpointer)
{
    if (!wasGrabbed) forgetHostKeys();
}

static void paintPicture(cairo_t* cr)
{
    if (!mainHost.picture) return;
    cairo_set_source_surface(cr, mainHost.picture, mainHost.pictureX, mainHost.pictureY);
    // At a desktop scale above 1 the pixels grow as blocks, never blurred.
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, mainHost.pictureX, mainHost.pictureY, cairo_image_surface_get_width(mainHost.picture),
                    cairo_image_surface_get_height(mainHost.picture));
    cairo_fill(cr);
}

static gboolean onDraw(GtkWidget*, cairo_t* cr, gpointer)
{
    cairo_set_source_rgb(cr, mainHost.backgroundRed, mainHost.backgroundGreen, mainHost.backgroundBlue);
    cairo_paint(cr);
    paintPicture(cr);
    return TRUE;
}

// Without a window manager to honour the fixed size (or with one that does
// not), an outside request can still resize the window: put it back.
static gboolean onConfigure(GtkWidget* window, GdkEventConfigure* event, gpointer)
{
    GtkRequisition size;
    gtk_widget_get_preferred_size(window, nullptr, &size);
    if (event->width != size.width || event->height != size.height) {
        gdk_window_resize(gtk_widget_get_window(window), size.width, size.height);
    }
    return FALSE;
}

static void onRealize(GtkWidget* window, gpointer)
{
    // Fixed size: no maximise button or function and no resize handles.
    GdkWindow* gdkWindow = gtk_widget_get_window(window);
    gdk_window_set_functions(gdkWindow,
                             static_cast<GdkWMFunction>(GDK_FUNC_ALL | GDK_FUNC_RESIZE | GDK_FUNC_MAXIMIZE));
    gdk_window_set_decorations(gdkWindow,
                               static_cast<GdkWMDecoration>(GDK_DECOR_ALL | GDK_DECOR_RESIZEH | GDK_DECOR_MAXIMIZE));
}

static GtkWidget* buildMenuBar(const WindowDescription& description)
{
    GtkWidget* bar = gtk_menu_bar_new();
    for (int m = 0; m < description.menuCount; ++m) {
        const Menu& menu = description.menus[m];
        // Plain labels: no mnemonics, the titles read exactly as given.
        GtkWidget* title = gtk_menu_item_new_with_label(menu.title);
        GtkWidget* items = gtk_menu_new();
        for (int i = 0; i < menu.itemCount; ++i) {
            GtkWidget* item = gtk_menu_item_new_with_label(menu.items[i].title);
            g_signal_connect(item, "activate", G_CALLBACK(onMenuItem), GUINT_TO_POINTER(menu.items[i].command));
            gtk_menu_shell_append(GTK_MENU_SHELL(items), item);
        }
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(title), items);
        gtk_menu_shell_append(GTK_MENU_SHELL(bar), title);
    }
    return bar;
}

HostWindow hostCreateWindow(const WindowDescription& description)
{
    // One window, and only with a display.
    if (mainHost.window || !gdk_display_get_default()) return nullptr;
    gdk_event_handler_set(watchEvent, nullptr, nullptr);
    gdk_set_program_class(description.className);

    mainHost = HostWindowRecord{};
    mainHost.client = clientSize(description);
    mainHost.backgroundRed = ((description.background >> 16) & 0xFF) / 255.0;
    mainHost.backgroundGreen = ((description.background >> 8) & 0xFF) / 255.0;
    mainHost.backgroundBlue = (description.background & 0xFF) / 255.0;

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), description.title);
    // The icon the Windows program carries as its resource; the pixels are
    // static, so the image only borrows them.
    GdkPixbuf* icon = gdk_pixbuf_new_from_data(programIconPixels, GDK_COLORSPACE_RGB, TRUE, 8, PROGRAM_ICON_SIZE,
                                               PROGRAM_ICON_SIZE, PROGRAM_ICON_SIZE * 4, nullptr, nullptr);
    gtk_window_set_icon(GTK_WINDOW(window), icon);
    g_object_unref(icon);
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    g_signal_connect(window, "delete-event", G_CALLBACK(onDelete), nullptr);
    g_signal_connect(window, "key-press-event", G_CALLBACK(onKey), nullptr);
    g_signal_connect(window, "key-release-event", G_CALLBACK(onKey), nullptr);
    g_signal_connect(window, "configure-event", G_CALLBACK(onConfigure), nullptr);
    g_signal_connect_after(window, "realize", G_CALLBACK(onRealize), nullptr);
    acceptDrops(window);
    g_signal_connect(window, "drag-data-received", G_CALLBACK(onDragData), nullptr);

    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_size_request(area, mainHost.client.width, mainHost.client.height);
    g_signal_connect(area, "draw", G_CALLBACK(onDraw), nullptr);
    g_signal_connect(area, "grab-notify", G_CALLBACK(onGrabNotify), nullptr);
    gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK);
    g_signal_connect(area, "button-press-event", G_CALLBACK(onButton), nullptr);

    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_box_pack_start(GTK_BOX(column), buildMenuBar(description), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), area, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(window), column);
    gtk_widget_show_all(column);

    mainHost.window = window;
    mainHost.area = area;
    return theWindow;
}

// The desktop program always starts in a normal window.
void hostShowWindow(HostWindow window)
{
    if (window == theWindow && mainHost.window) gtk_widget_show(mainHost.window);
}

static void forgetPicture()
{
    if (mainHost.picture) cairo_surface_destroy(mainHost.picture);
    mainHost.picture = nullptr;
    mainHost.picturePixels = nullptr;
}

void hostDestroyWindow(HostWindow window)
{
    if (window != theWindow || !mainHost.window) return;
    GtkWidget* widget = mainHost.window;
    gtk_widget_hide(widget);
    mainHost.window = nullptr;
    mainHost.area = nullptr;
    forgetPicture();
    gtk_widget_destroy(widget);
}

// The toolkit's events of its own (a paint, the pointer, a key) are handled
// in the iteration and post nothing.
bool hostPollEvents() { return g_main_context_iteration(nullptr, FALSE); }

// ---- Drawing ---------------------------------------------------------------

// The surface's 0x00RRGGBB words are cairo's RGB24 layout, so the toolkit
// reads the pixels where they are.
static void holdPicture(const Surface& surface, int x, int y)
{
    if (mainHost.picturePixels != surface.pixels || !mainHost.picture ||
        cairo_image_surface_get_width(mainHost.picture) != surface.width ||
        cairo_image_surface_get_height(mainHost.picture) != surface.height) {
        forgetPicture();
        mainHost.picture = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(surface.pixels),
                                                               CAIRO_FORMAT_RGB24, surface.width, surface.height,
                                                               surface.width * 4);
        mainHost.picturePixels = surface.pixels;
    }
    cairo_surface_mark_dirty(mainHost.picture);
    mainHost.pictureX = x;
    mainHost.pictureY = y;
}

void hostPresent(HostWindow window, const Surface& surface, int x, int y)
{
    if (window != theWindow || !mainHost.window) return;
    holdPicture(surface, x, y);
    GdkWindow* gdkWindow = gtk_widget_get_window(mainHost.window);
    if (!gdkWindow || !gdk_window_is_viewable(gdkWindow)) return;
    // Drawn now, not queued: a queued redraw may be merged with the next.
    GtkAllocation area;
    gtk_widget_get_allocation(mainHost.area, &area);
    cairo_rectangle_int_t rectangle = {area.x + x, area.y + y, surface.width, surface.height};
    cairo_region_t* region = cairo_region_create_rectangle(&rectangle);
    GdkDrawingContext* context = gdk_window_begin_draw_frame(gdkWindow, region);
    cairo_t* cr = gdk_drawing_context_get_cairo_context(context);
    cairo_translate(cr, area.x, area.y);
    paintPicture(cr);
    gdk_window_end_draw_frame(gdkWindow, context);
    cairo_region_destroy(region);
    gdk_display_flush(gdk_window_get_display(gdkWindow));
}

// ---- Key snapshot ----------------------------------------------------------

bool hostOpenKeyboard(HostWindow) { return openReportedKeys(); }

bool hostReadKeys(uint8_t state[256]) { return readReportedKeys(state); }

void hostCloseKeyboard() { forgetHostKeys(); }

// ---- Pasted text ----------------------------------------------------------------

static gchar* pastedText = nullptr;

bool hostOpenPastedText(HostWindow, const char*& text, size_t& length)
{
    // Waits, in a loop of the toolkit's own, for the selection's owner.
    pastedText = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_PRIMARY));
    if (!pastedText) return false;
    text = pastedText;
    length = std::strlen(pastedText);
    return true;
}

void hostClosePastedText()
{
    g_free(pastedText);
    pastedText = nullptr;
}

// ---- Clock -----------------------------------------------------------------

static int64_t monotonicNanoseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

bool hostPerformanceFrequency(int64_t& ticksPerSecond)
{
    ticksPerSecond = 1000000000;
    return true;
}

int64_t hostPerformanceCounter() { return monotonicNanoseconds(); }

uint32_t hostMilliseconds() { return static_cast<uint32_t>(monotonicNanoseconds() / 1000000); }

// ---- Dialogs ---------------------------------------------------------------

static GtkWindow* ownerWindow(HostWindow owner)
{
    return owner == theWindow && mainHost.window ? GTK_WINDOW(mainHost.window) : nullptr;
}

// The toolkit's patterns are case-sensitive: "vz" becomes "*.[vV][zZ]".
static void addExtension(GtkFileFilter* filter, const char* extension)
{
    if (!extension) {
        gtk_file_filter_add_pattern(filter, "*");
        return;
    }
    GString* pattern = g_string_new("*.");
    for (const char* c = extension; *c; ++c) {
        if (g_ascii_isalpha(*c)) {
            g_string_append_printf(pattern, "[%c%c]", g_ascii_tolower(*c), g_ascii_toupper(*c));
        } else {
            g_string_append_c(pattern, *c);
        }
    }
    gtk_file_filter_add_pattern(filter, pattern->str);
    g_string_free(pattern, TRUE);
}

static void startAt(GtkFileChooser* chooser, const char* path)
{
    if (path[0] != '\0' && g_file_test(path, G_FILE_TEST_IS_REGULAR)) {
        gtk_file_chooser_set_filename(chooser, path);
        return;
    }
    gchar* folder = path[0] != '\0' ? g_path_get_dirname(path) : g_get_current_dir();
    if (g_file_test(folder, G_FILE_TEST_IS_DIR)) gtk_file_chooser_set_current_folder(chooser, folder);
    g_free(folder);
}

// Modal dialogs run a loop of their own. Once one is closed the main window
// gets the focus back, as the owner of a closed dialog does on Windows.
static void closeModal(GtkWidget* dialog)
{
    gtk_widget_destroy(dialog);
    if (mainHost.window) gtk_window_present(GTK_WINDOW(mainHost.window));
}

void hostRequestOpenFile(HostWindow owner, const OpenFileRequest& request)
{
    GtkWidget* dialog = gtk_file_chooser_dialog_new(request.title, ownerWindow(owner), GTK_FILE_CHOOSER_ACTION_OPEN,
                                                    "_Cancel", GTK_RESPONSE_CANCEL, "_Open", GTK_RESPONSE_ACCEPT,
                                                    nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    // The program opens files by path.
    gtk_file_chooser_set_local_only(chooser, TRUE);
    for (int i = 0; i < request.filterCount; ++i) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, request.filters[i].name);
        addExtension(filter, request.filters[i].extension);
        gtk_file_chooser_add_filter(chooser, filter);
        if (i == 0) gtk_file_chooser_set_filter(chooser, filter);
    }
    startAt(chooser, request.initialPath);

    gint response = gtk_dialog_run(GTK_DIALOG(dialog));
    gchar* chosen = response == GTK_RESPONSE_ACCEPT ? gtk_file_chooser_get_filename(chooser) : nullptr;
    closeModal(dialog);
    postText(HostEventKind::FileChosen, chosen);
}

void hostErrorBox(const char* text, const char* caption)
{
    GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "%s", text);
    gtk_window_set_title(GTK_WINDOW(box), caption);
    // The toolkit no longer draws the message type's icon: put it beside the
    // text, where the stop sign sits on Windows.
    GtkWidget* textColumn = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(box));
    GtkWidget* row = gtk_widget_get_parent(textColumn);
    if (GTK_IS_BOX(row)) {
        GtkWidget* icon = gtk_image_new_from_icon_name("dialog-error", GTK_ICON_SIZE_DIALOG);
        gtk_widget_set_valign(icon, GTK_ALIGN_START);
        gtk_box_pack_start(GTK_BOX(row), icon, FALSE, FALSE, 0);
        gtk_box_reorder_child(GTK_BOX(row), icon, 0);
        gtk_widget_show(icon);
    }
    gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER);
    gtk_dialog_run(GTK_DIALOG(box));
    closeModal(box);
}
