// The Windows host: USER and GDI for the window and its picture, the
// common Open dialog, DirectInput 7 for the keyboard, waveOut for the sound,
// the performance counter for the clock, and files dropped from the shell
// and the clipboard's text. Windows' messages are turned into the spine's
// events here, and only here; so are DirectInput's acquisition and results.
// Each host handle is a record that holds the Windows handle.
#define DIRECTINPUT_VERSION 0x0700
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "hosts/win32/host_win32.h"

#include <commdlg.h>
#include <dinput.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "machine/surface.h"
#include "shell/host.h"

Win32Start win32Start;

// Resource numbers of tessel.rc.
constexpr WORD MENU_RESOURCE = 101;
constexpr WORD ICON_RESOURCE = 102;

// The one window of the program's class; other windows of the thread (the
// dialogs) have no record and pass as null.
struct HostWindowRecord {
    HWND handle;
};

static HostWindowRecord mainWindowRecord;

static HWND toWindows(HostWindow window) { return window ? window->handle : nullptr; }

// ---- Window and events -------------------------------------------------------

static void post(HostEventKind kind) { postHostEvent(HostEvent{.kind = kind}); }

static void followActivation(bool active);
static void takeDrop(HDROP drop);

// Turns what the window's messages mean into the spine's events; the rest
// is Windows' own.
static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Creation already sends messages, before CreateWindowExA has returned
    // the handle; the first one names it.
    if (!mainWindowRecord.handle) mainWindowRecord.handle = window;
    if (window != mainWindowRecord.handle) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_ACTIVATEAPP:
        followActivation(wParam != 0);
        post(wParam != 0 ? HostEventKind::Activated : HostEventKind::Deactivated);
        return 1;
    case WM_COMMAND:
        // The high half is the notification code: a menu's 0, an accelerator's 1.
        postHostEvent(HostEvent{.kind = HostEventKind::Command, .command = LOWORD(wParam)});
        break;
    case WM_CLOSE:
        // The spine destroys the window.
        post(HostEventKind::Close);
        return 0;
    case WM_DROPFILES:
        takeDrop(reinterpret_cast<HDROP>(wParam));  // NOLINT(performance-no-int-to-ptr): Win32 hands it over so
        return 0;
    case WM_MBUTTONDOWN:
        // Client coordinates are signed 16-bit halves.
        postHostEvent(HostEvent{.kind = HostEventKind::Paste,
                                .x = static_cast<int16_t>(LOWORD(lParam)),
                                .y = static_cast<int16_t>(HIWORD(lParam))});
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HostWindow hostCreateWindow(const WindowDescription& description)
{
    HINSTANCE module = win32Start.module ? win32Start.module : GetModuleHandleA(nullptr);

    // The menu is resource 101, which lists the same items as the
    // description; the background is the system's menu text colour, black.
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = module;
    windowClass.hIcon = LoadIconA(module, MAKEINTRESOURCEA(ICON_RESOURCE));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // A system colour's index + 1 stands for its brush. NOLINTNEXTLINE(performance-no-int-to-ptr)
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENUTEXT + 1));
    windowClass.lpszMenuName = MAKEINTRESOURCEA(MENU_RESOURCE);
    windowClass.lpszClassName = description.className;
    RegisterClassA(&windowClass);

    // The menu bar is counted twice and the caption not at all; the window
    // has kept this size since its first version.
    int width = description.pictureWidth + 2 * GetSystemMetrics(SM_CXFRAME);
    int height = description.pictureHeight + 2 * (GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYMENU));
    HWND window = CreateWindowExA(0, description.className, description.title,
                                  WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, CW_USEDEFAULT, width,
                                  height, nullptr, nullptr, module, nullptr);
    if (!window) {
        mainWindowRecord.handle = nullptr;
        return nullptr;
    }
    mainWindowRecord.handle = window;
    // Files dropped from the shell arrive as WM_DROPFILES.
    DragAcceptFiles(window, TRUE);
    return &mainWindowRecord;
}

// With the show command Windows gave the program: showing activates the
// window, which sends WM_ACTIVATEAPP before the keyboard exists.
void hostShowWindow(HostWindow window)
{
    ShowWindow(toWindows(window), win32Start.showCommand);
    UpdateWindow(toWindows(window));
}

void hostDestroyWindow(HostWindow window)
{
    DestroyWindow(toWindows(window));
    if (window == &mainWindowRecord) mainWindowRecord.handle = nullptr;
}

// One message a look: dispatching it runs the window procedure, which posts
// what it means; a message of Windows' own (a paint, the pointer) is this
// pass's event all the same.
bool hostPollEvents()
{
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
    if (message.message == WM_QUIT) {
        post(HostEventKind::Quit);
        return true;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

// ---- Drawing ---------------------------------------------------------------

void hostPresent(HostWindow window, const Surface& surface, int x, int y)
{
    // The surface's 0x00RRGGBB words are exactly a 32-bit DIB's pixels; a
    // negative height keeps its rows top first.
    BITMAPINFO picture = {};
    picture.bmiHeader.biSize = sizeof picture.bmiHeader;
    picture.bmiHeader.biWidth = surface.width;
    picture.bmiHeader.biHeight = -surface.height;
    picture.bmiHeader.biPlanes = 1;
    picture.bmiHeader.biBitCount = 32;
    picture.bmiHeader.biCompression = BI_RGB;

    HWND target = toWindows(window);
    HDC dc = GetDC(target);
    StretchDIBits(dc, x, y, surface.width, surface.height, 0, 0, surface.width, surface.height, surface.pixels,
                  &picture, DIB_RGB_COLORS, SRCCOPY);
    ReleaseDC(target, dc);
}

// ---- Key snapshot ----------------------------------------------------------

// Opened together and released together.
static IDirectInputA* directInput = nullptr;
static IDirectInputDeviceA* keyboard = nullptr;

// Acquisition keeps failing while another application is in front, and the
// spine's loop waits for us: give up after this many tries and let the next
// frame try again.
constexpr int ACQUIRE_ATTEMPTS = 8;

bool hostOpenKeyboard(HostWindow window)
{
    HWND owner = toWindows(window);
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the window's module, as Win32 stores it
    HINSTANCE module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    if (FAILED(DirectInputCreateA(module, DIRECTINPUT_VERSION, &directInput, nullptr))) {
        directInput = nullptr;
        return false;
    }
    // A failure from here on leaves what was made to hostCloseKeyboard.
    if (FAILED(directInput->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr))) {
        keyboard = nullptr;
        return false;
    }
    // Exclusive and foreground: Windows takes the keys away while another
    // application is in front, and the next read says so.
    return SUCCEEDED(keyboard->SetDataFormat(&c_dfDIKeyboard)) &&
           SUCCEEDED(keyboard->SetCooperativeLevel(owner, DISCL_EXCLUSIVE | DISCL_FOREGROUND));
}

// The application came to the front or went behind; before the keyboard
// exists there is nothing to do.
static void followActivation(bool active)
{
    if (!keyboard) return;
    if (active) {
        keyboard->Acquire();
    } else {
        keyboard->Unacquire();
    }
}

bool hostReadKeys(uint8_t state[256])
{
    if (!keyboard) return false;
    // A failed read may leave anything in its buffer; the caller's state
    // must stay as it was.
    BYTE snapshot[256];
    HRESULT result = keyboard->GetDeviceState(sizeof snapshot, snapshot);
    if (FAILED(result)) {
        // Lost or never acquired: acquire again, then read once more.
        for (int attempt = 0; attempt < ACQUIRE_ATTEMPTS; ++attempt) {
            result = keyboard->Acquire();
            if (result != DIERR_INPUTLOST && result != DIERR_OTHERAPPHASPRIO) break;
        }
        if (SUCCEEDED(result)) result = keyboard->GetDeviceState(sizeof snapshot, snapshot);
    }
    if (FAILED(result)) return false;
    std::memcpy(state, snapshot, sizeof snapshot);
    return true;
}

void hostCloseKeyboard()
{
    if (keyboard) {
        keyboard->Unacquire();
        keyboard->Release();
        keyboard = nullptr;
    }
    if (directInput) {
        directInput->Release();
        directInput = nullptr;
    }
}

// ---- Audio -----------------------------------------------------------------

// waveOut plays a ring of buffers in turn; a frame's samples fill one.
constexpr int AUDIO_BUFFERS = 16;
constexpr int AUDIO_BUFFER_SAMPLES = 1024;

struct HostAudioRecord {
    HWAVEOUT device;
    WAVEHDR headers[AUDIO_BUFFERS];
    int16_t samples[AUDIO_BUFFERS][AUDIO_BUFFER_SAMPLES];
    int next;  // the buffer to fill next
};

static HostAudioRecord audioRecord;

static bool playing(const WAVEHDR& header) { return (header.dwFlags & WHDR_PREPARED) && !(header.dwFlags & WHDR_DONE); }

HostAudio hostOpenAudio(int sampleRate, const char*& failure)
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = static_cast<DWORD>(sampleRate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = sizeof(int16_t);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    audioRecord = HostAudioRecord{};
    if (waveOutOpen(&audioRecord.device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
        failure = "no waveOut device";
        return nullptr;
    }
    return &audioRecord;
}

void hostQueueAudio(HostAudio audio, const int16_t* samples, int count)
{
    while (count > 0) {
        WAVEHDR& header = audio->headers[audio->next];
        if (playing(header)) return;  // every buffer is queued: the rest is dropped
        if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(audio->device, &header, sizeof header);
        int taken = count < AUDIO_BUFFER_SAMPLES ? count : AUDIO_BUFFER_SAMPLES;
        std::memcpy(audio->samples[audio->next], samples, static_cast<size_t>(taken) * sizeof(int16_t));
        header = WAVEHDR{};
        header.lpData = reinterpret_cast<LPSTR>(audio->samples[audio->next]);
        header.dwBufferLength = static_cast<DWORD>(taken) * sizeof(int16_t);
        waveOutPrepareHeader(audio->device, &header, sizeof header);
        waveOutWrite(audio->device, &header, sizeof header);
        audio->next = (audio->next + 1) % AUDIO_BUFFERS;
        samples += taken;
        count -= taken;
    }
}

int hostQueuedAudio(HostAudio audio)
{
    int queued = 0;
    for (const WAVEHDR& header : audio->headers) {
        if (playing(header)) queued += static_cast<int>(header.dwBufferLength / sizeof(int16_t));
    }
    return queued;
}

void hostCloseAudio(HostAudio audio)
{
    waveOutReset(audio->device);
    for (WAVEHDR& header : audio->headers) {
        if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(audio->device, &header, sizeof header);
    }
    waveOutClose(audio->device);
    audio->device = nullptr;
}

// ---- Clock -----------------------------------------------------------------

bool hostPerformanceFrequency(int64_t& ticksPerSecond)
{
    LARGE_INTEGER frequency;
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) return false;
    ticksPerSecond = frequency.QuadPart;
    return true;
}

int64_t hostPerformanceCounter()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

uint32_t hostMilliseconds() { return timeGetTime(); }

// ---- Files, text and messages ------------------------------------------------

// WM_DROPFILES carries the shell's drop, which holds files only; of several
// the first counts, and one whose path does not fit is none.
static void takeDrop(HDROP drop)
{
    constexpr UINT FILE_COUNT = 0xFFFFFFFF;
    char path[MAX_PATH];
    if (DragQueryFileA(drop, FILE_COUNT, nullptr, 0) > 0) {
        UINT length = DragQueryFileA(drop, 0, nullptr, 0);
        if (length < sizeof path && DragQueryFileA(drop, 0, path, sizeof path) == length) {
            postHostEvent(HostEvent{.kind = HostEventKind::DroppedFile, .text = path, .length = length});
        }
    }
    DragFinish(drop);
}

// The clipboard stays open, its text locked, until the paste is closed.
static HANDLE pastedText = nullptr;

bool hostOpenPastedText(HostWindow window, const char*& text, size_t& length)
{
    if (!OpenClipboard(toWindows(window))) return false;
    pastedText = GetClipboardData(CF_TEXT);
    const char* locked = pastedText ? static_cast<const char*>(GlobalLock(pastedText)) : nullptr;
    if (!locked) {
        pastedText = nullptr;
        CloseClipboard();
        return false;
    }
    text = locked;
    length = std::strlen(locked);
    return true;
}

void hostClosePastedText()
{
    if (pastedText) GlobalUnlock(pastedText);
    pastedText = nullptr;
    CloseClipboard();
}

// The dialog's filter list: pairs of a name and its pattern, each ended by a
// NUL, the list by an empty string; every extension pattern also matches in
// any case, as Windows' patterns do.
static void filterList(const OpenFileRequest& request, char* list, size_t size)
{
    size_t used = 0;
    for (int i = 0; i < request.filterCount; ++i) {
        const FileFilter& filter = request.filters[i];
        char pattern[64] = "*.*";
        if (filter.extension) std::snprintf(pattern, sizeof pattern, "*.%s", filter.extension);
        size_t name = std::strlen(filter.name) + 1;
        size_t patternLength = std::strlen(pattern) + 1;
        if (used + name + patternLength + 1 > size) break;
        std::memcpy(list + used, filter.name, name);
        std::memcpy(list + used + name, pattern, patternLength);
        used += name + patternLength;
    }
    list[used] = '\0';
}

void hostRequestOpenFile(HostWindow owner, const OpenFileRequest& request)
{
    // The dialog is a window of its own and needs the keys. Windows takes a
    // foreground device away from the window that lost the activation; wine
    // keeps it acquired, and its exclusive hold swallows every key typed
    // into the dialog. The first read after the dialog acquires it again.
    if (keyboard) keyboard->Unacquire();

    char filters[256];
    filterList(request, filters, sizeof filters);
    // The last choice is offered; one that does not fit is not.
    char path[MAX_PATH] = "";
    size_t length = std::strlen(request.initialPath);
    if (length < sizeof path) std::memcpy(path, request.initialPath, length + 1);
    // Empty, so the dialog chooses the folder.
    char initialFolder[] = "";

    OPENFILENAMEA dialog = {};
    // The size of the record as this program was built: 152 bytes in a
    // 64-bit build, where the 76 of the 32-bit record makes the call fail.
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = toWindows(owner);
    dialog.lpstrFilter = filters;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.lpstrInitialDir = initialFolder;
    dialog.lpstrTitle = request.title;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    dialog.lpstrDefExt = request.filterCount > 0 ? request.filters[0].extension : nullptr;
    // Modal: the answer is posted before the request returns.
    if (GetOpenFileNameA(&dialog) == TRUE) {
        postHostEvent(HostEvent{.kind = HostEventKind::FileChosen, .text = path, .length = std::strlen(path)});
    }
}

void hostErrorBox(const char* text, const char* caption) { MessageBoxA(nullptr, text, caption, MB_ICONERROR | MB_OK); }
