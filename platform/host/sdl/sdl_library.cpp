// libSDL2 is loaded when the desktop host first calls it, not when the
// program starts: on Wayland the program never uses SDL, and SDL with the
// libraries it brings (sound among them) takes longer to load than the rest
// of the program's start. Each SDL function the host calls is defined here
// and forwards to the library's own.
#include <SDL.h>
#include <SDL_syswm.h>

#include "platform/lazy_library.h"

namespace {

void* Sdl() {
    static void* const handle = platform::OpenLibrary("libSDL2-2.0.so.0");
    return handle;
}

}  // namespace

// A function with a result: without the library it gives `fallback`.
#define SDL_FORWARD(...) LAZY_FORWARD(Sdl, __VA_ARGS__)
#define SDL_FORWARD_VOID(...) LAZY_FORWARD_VOID(Sdl, __VA_ARGS__)

SDL_FORWARD(int, SDL_InitSubSystem, (Uint32 flags), (flags), -1)
SDL_FORWARD_VOID(SDL_Quit, (void), ())
SDL_FORWARD(const char*, SDL_GetError, (void), (), "libSDL2-2.0.so.0 cannot be loaded")
SDL_FORWARD(SDL_bool, SDL_SetHint, (const char* name, const char* value), (name, value), SDL_FALSE)
SDL_FORWARD(const char*, SDL_GetCurrentVideoDriver, (void), (), nullptr)
SDL_FORWARD(int, SDL_GetDisplayBounds, (int index, SDL_Rect* rect), (index, rect), -1)
SDL_FORWARD(int, SDL_GetCurrentDisplayMode, (int index, SDL_DisplayMode* mode), (index, mode), -1)
SDL_FORWARD(int, SDL_GetWindowDisplayIndex, (SDL_Window * window), (window), -1)
SDL_FORWARD(SDL_Window*, SDL_CreateWindow, (const char* title, int x, int y, int w, int h, Uint32 flags),
            (title, x, y, w, h, flags), nullptr)
SDL_FORWARD_VOID(SDL_DestroyWindow, (SDL_Window * window), (window))
SDL_FORWARD_VOID(SDL_GetWindowSize, (SDL_Window * window, int* w, int* h), (window, w, h))
SDL_FORWARD(SDL_Surface*, SDL_GetWindowSurface, (SDL_Window * window), (window), nullptr)
SDL_FORWARD(int, SDL_UpdateWindowSurface, (SDL_Window * window), (window), -1)
SDL_FORWARD(int, SDL_UpdateWindowSurfaceRects, (SDL_Window * window, const SDL_Rect* rects, int count),
            (window, rects, count), -1)
SDL_FORWARD(SDL_bool, SDL_GetWindowWMInfo, (SDL_Window * window, SDL_SysWMinfo* info), (window, info),
            SDL_FALSE)
SDL_FORWARD_VOID(SDL_HideWindow, (SDL_Window * window), (window))
SDL_FORWARD_VOID(SDL_ShowWindow, (SDL_Window * window), (window))
SDL_FORWARD_VOID(SDL_RaiseWindow, (SDL_Window * window), (window))
SDL_FORWARD_VOID(SDL_SetWindowIcon, (SDL_Window * window, SDL_Surface* icon), (window, icon))
SDL_FORWARD_VOID(SDL_SetWindowPosition, (SDL_Window * window, int x, int y), (window, x, y))
SDL_FORWARD_VOID(SDL_SetWindowSize, (SDL_Window * window, int w, int h), (window, w, h))
SDL_FORWARD_VOID(SDL_SetWindowTitle, (SDL_Window * window, const char* title), (window, title))
SDL_FORWARD(SDL_Renderer*, SDL_CreateRenderer, (SDL_Window * window, int index, Uint32 flags),
            (window, index, flags), nullptr)
SDL_FORWARD_VOID(SDL_DestroyRenderer, (SDL_Renderer * renderer), (renderer))
SDL_FORWARD(int, SDL_GetRendererOutputSize, (SDL_Renderer * renderer, int* w, int* h), (renderer, w, h), -1)
SDL_FORWARD(int, SDL_SetRenderDrawColor, (SDL_Renderer * renderer, Uint8 r, Uint8 g, Uint8 b, Uint8 a),
            (renderer, r, g, b, a), -1)
SDL_FORWARD(int, SDL_RenderClear, (SDL_Renderer * renderer), (renderer), -1)
SDL_FORWARD(int, SDL_RenderCopy,
            (SDL_Renderer * renderer, SDL_Texture* texture, const SDL_Rect* from, const SDL_Rect* to),
            (renderer, texture, from, to), -1)
SDL_FORWARD_VOID(SDL_RenderPresent, (SDL_Renderer * renderer), (renderer))
SDL_FORWARD(SDL_Texture*, SDL_CreateTexture,
            (SDL_Renderer * renderer, Uint32 format, int access, int w, int h),
            (renderer, format, access, w, h), nullptr)
SDL_FORWARD_VOID(SDL_DestroyTexture, (SDL_Texture * texture), (texture))
SDL_FORWARD(int, SDL_UpdateTexture,
            (SDL_Texture * texture, const SDL_Rect* rect, const void* pixels, int pitch),
            (texture, rect, pixels, pitch), -1)
SDL_FORWARD(SDL_Surface*, SDL_CreateRGBSurfaceWithFormatFrom,
            (void* pixels, int w, int h, int depth, int pitch, Uint32 format),
            (pixels, w, h, depth, pitch, format), nullptr)
SDL_FORWARD_VOID(SDL_FreeSurface, (SDL_Surface * surface), (surface))
SDL_FORWARD(int, SDL_FillRect, (SDL_Surface * surface, const SDL_Rect* rect, Uint32 color),
            (surface, rect, color), -1)
SDL_FORWARD(Uint32, SDL_MapRGB, (const SDL_PixelFormat* format, Uint8 r, Uint8 g, Uint8 b), (format, r, g, b),
            0)
SDL_FORWARD(int, SDL_LockSurface, (SDL_Surface * surface), (surface), -1)
SDL_FORWARD_VOID(SDL_UnlockSurface, (SDL_Surface * surface), (surface))
SDL_FORWARD(int, SDL_UpperBlit, (SDL_Surface * from, const SDL_Rect* area, SDL_Surface* to, SDL_Rect* at),
            (from, area, to, at), -1)
SDL_FORWARD_VOID(SDL_PumpEvents, (void), ())
SDL_FORWARD(int, SDL_PollEvent, (SDL_Event * event), (event), 0)
SDL_FORWARD(int, SDL_WaitEvent, (SDL_Event * event), (event), 0)
