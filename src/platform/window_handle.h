#pragma once

// The "window handle" this platform hands to a scanner source manager and its
// sources as their parent window: a small C structure with a post function.
// Posting is safe from any thread; the message reaches the window's procedure
// later, on the thread that created the window. Kept to plain C so that a
// source manager library without any toolkit can use it.
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct TWindowHandle TWindowHandle;
struct TWindowHandle {
    void* Context;
    void (*Post)(TWindowHandle* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
};

// The message record a window procedure receives.
typedef struct TWindowMessage {
    TWindowHandle* Window;
    uint32_t Message;
    uintptr_t WParam;
    intptr_t LParam;
    uint32_t Time;
    int32_t X;
    int32_t Y;
} TWindowMessage;

// The first message number free for private use, as in a window system's
// application range; a scanner source posts its notifications with it.
#define WINDOW_APP_MESSAGE 0x8000u

#ifdef __cplusplus
}
#endif
