// The Windows program: WinMain, and the host of USER and GDI for the window
// and its picture, the common Open dialog, DirectInput 7 for the keyboard,
// waveOut for the sound, the performance counter for the clock, and files
// dropped from the shell and the clipboard's text. Each host handle is a
// record that holds the Windows handle.
#define DIRECTINPUT_VERSION 0x0700
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <commdlg.h>
#include <dinput.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <cstring>

#include "machine/surface.h"
#include "shell/emulator.h"
#include "shell/host.h"

// Resource numbers of tessel.rc.
constexpr WORD MENU_RESOURCE = 101;
constexpr WORD ICON_RESOURCE = 102;

struct HostInstanceRecord {
    HINSTANCE module;
};

// The one window of the program's class; other windows of the thread (the
// dialogs) have no record and pass as null.
struct HostWindowRecord {
    HWND handle;
};

struct HostKeyboardRecord {
    IDirectInputDeviceA* device;
};

static HostWindowRecord mainWindowRecord;
static HostKeyboardRecord keyboardRecord;

static HWND toWindows(HostWindow window) { return window ? window->handle : nullptr; }
static HostWindow toHost(HWND window) { return window && window == mainWindowRecord.handle ? &mainWindowRecord : nullptr; }
static IDirectInputDeviceA* toDevice(HostKeyboard device) { return device->device; }

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    // The command line is not used.
    static HostInstanceRecord program;
    program.module = instance;
    return emulatorMain(&program, showCommand);
}

// ---- Window and messages -------------------------------------------------

// The shell's procedure for the one window there is.
static WindowProcedure windowProcedure = nullptr;

static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Creation already sends messages, before CreateWindowExA has returned
    // the handle; the first one names it.
    if (!mainWindowRecord.handle) mainWindowRecord.handle = window;
    if (window != mainWindowRecord.handle) return DefWindowProcA(window, message, wParam, lParam);
    return windowProcedure(&mainWindowRecord, message, wParam, lParam);
}

HostWindow hostCreateWindow(HostInstance instance, const WindowDescription& description)
{
    HINSTANCE module = instance ? instance->module : GetModuleHandleA(nullptr);
    // Creation already sends messages to the procedure.
    windowProcedure = description.procedure;

    // The menu is resource 101, which lists the same items as the
    // description; the background is the system's menu text colour, black.
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = module;
    windowClass.hIcon = LoadIconA(module, MAKEINTRESOURCEA(ICON_RESOURCE));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
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

void hostShowWindow(HostWindow window, int showCommand)
{
    ShowWindow(toWindows(window), showCommand);
    UpdateWindow(toWindows(window));
}

void hostDestroyWindow(HostWindow window)
{
    DestroyWindow(toWindows(window));
    if (window == &mainWindowRecord) mainWindowRecord.handle = nullptr;
}

// The last message taken, whole: translation needs its time and cursor
// position as well as the four values the shell sees.
static MSG takenMessage;

bool hostPeekMessage(HostMessage& message)
{
    if (!PeekMessageA(&takenMessage, nullptr, 0, 0, PM_REMOVE)) return false;
    message = HostMessage{toHost(takenMessage.hwnd), takenMessage.message, takenMessage.wParam, takenMessage.lParam};
    return true;
}

static MSG windowsMessage(const HostMessage& message)
{
    if (toHost(takenMessage.hwnd) == message.window && takenMessage.message == message.message &&
        takenMessage.wParam == message.wParam && takenMessage.lParam == message.lParam) {
        return takenMessage;
    }
    MSG built = {};
    built.hwnd = toWindows(message.window);
    built.message = message.message;
    built.wParam = message.wParam;
    built.lParam = message.lParam;
    built.time = static_cast<DWORD>(GetMessageTime());
    return built;
}

void hostTranslateMessage(const HostMessage& message)
{
    MSG translated = windowsMessage(message);
    TranslateMessage(&translated);
}

intptr_t hostDispatchMessage(const HostMessage& message)
{
    MSG dispatched = windowsMessage(message);
    return DispatchMessageA(&dispatched);
}

void hostPostQuitMessage(int exitCode) { PostQuitMessage(exitCode); }

intptr_t hostDefaultWindowProc(HostWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    return DefWindowProcA(toWindows(window), message, wParam, lParam);
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

// Opened together with the keyboard device and released with it.
static IDirectInputA* directInput = nullptr;
static IDirectInputDeviceA* openKeyboard = nullptr;  // the device handed out, for the Open dialog

static void releaseDirectInput()
{
    if (directInput) {
        directInput->Release();
        directInput = nullptr;
    }
}

int32_t hostOpenKeyboard(HostWindow window, HostKeyboard& device)
{
    HWND owner = toWindows(window);
    HINSTANCE module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    HRESULT result = DirectInputCreateA(module, DIRECTINPUT_VERSION, &directInput, nullptr);
    if (FAILED(result)) {
        directInput = nullptr;
        return result;
    }
    IDirectInputDeviceA* keyboard = nullptr;
    result = directInput->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr);
    if (FAILED(result)) {
        // No device to hand back, so nothing else would release it.
        releaseDirectInput();
        return result;
    }
    // From here on a failure leaves the device with the caller, whose
    // release takes DirectInput with it.
    keyboardRecord.device = keyboard;
    device = &keyboardRecord;
    openKeyboard = keyboard;
    result = keyboard->SetDataFormat(&c_dfDIKeyboard);
    if (FAILED(result)) return result;
    result = keyboard->SetCooperativeLevel(owner, DISCL_EXCLUSIVE | DISCL_FOREGROUND);
    if (FAILED(result)) return result;
    return DI_OK;
}

int32_t hostAcquireKeyboard(HostKeyboard device) { return toDevice(device)->Acquire(); }

int32_t hostUnacquireKeyboard(HostKeyboard device) { return toDevice(device)->Unacquire(); }

int32_t hostReadKeyboard(HostKeyboard device, uint8_t state[256])
{
    // A failed read may leave anything in its buffer; the caller's state
    // must stay as it was.
    BYTE snapshot[256];
    HRESULT result = toDevice(device)->GetDeviceState(sizeof snapshot, snapshot);
    if (SUCCEEDED(result)) std::memcpy(state, snapshot, sizeof snapshot);
    return result;
}

void hostReleaseKeyboard(HostKeyboard device)
{
    if (device && device->device) {
        device->device->Release();
        if (device->device == openKeyboard) openKeyboard = nullptr;
        device->device = nullptr;
    }
    releaseDirectInput();
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

// ---- Drops and pasted text ------------------------------------------------

// WM_DROPFILES carries the shell's HDROP as the drop; it holds files only.
static HDROP toDrop(uintptr_t drop) { return reinterpret_cast<HDROP>(drop); }

bool hostDroppedFile(uintptr_t drop, char* path, int pathSize)
{
    constexpr UINT FILE_COUNT = 0xFFFFFFFF;
    if (DragQueryFileA(toDrop(drop), FILE_COUNT, nullptr, 0) == 0) return false;
    UINT length = DragQueryFileA(toDrop(drop), 0, nullptr, 0);
    if (length + 1 > static_cast<UINT>(pathSize)) return false;
    return DragQueryFileA(toDrop(drop), 0, path, static_cast<UINT>(pathSize)) == length;
}

bool hostDroppedText(uintptr_t, const char*&, size_t&) { return false; }

void hostFinishDrop(uintptr_t drop) { DragFinish(toDrop(drop)); }

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

// ---- Dialogs ---------------------------------------------------------------

// Empty, so the dialog chooses the folder; nothing writes it.
static char initialFolder[] = "";

int hostOpenFileDialog(const OpenFileRequest& request)
{
    // The dialog is a window of its own and needs the keys. Windows takes a
    // foreground device away from the window that lost the activation; wine
    // keeps it acquired, and its exclusive hold swallows every key typed
    // into the dialog. The first poll after the dialog acquires it again.
    if (openKeyboard) openKeyboard->Unacquire();

    OPENFILENAMEA dialog = {};
    // The size of the record as this program was built: 152 bytes in a
    // 64-bit build, where the 76 of the 32-bit record makes the call fail.
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = toWindows(request.owner);
    dialog.lpstrFilter = request.filters;
    dialog.nFilterIndex = static_cast<DWORD>(request.filterIndex);
    dialog.lpstrFile = request.path;
    dialog.nMaxFile = static_cast<DWORD>(request.pathSize);
    dialog.lpstrInitialDir = initialFolder;
    dialog.lpstrTitle = request.title;
    dialog.Flags = request.flags;
    dialog.lpstrDefExt = request.defaultExtension;
    return GetOpenFileNameA(&dialog) == TRUE ? 1 : 0;
}

void hostErrorBox(HostWindow owner, const char* text, const char* caption)
{
    MessageBoxA(toWindows(owner), text, caption, MB_ICONERROR | MB_OK);
}
