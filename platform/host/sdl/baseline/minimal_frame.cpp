// The floor for start-up measurements: the least an SDL2 program does to put
// one frame on the screen (same window kind and the same way of showing
// pixels as the host on X11: the window's own image), then waits to be ended.
#include <SDL.h>

int main() {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(0, &bounds) != 0) return 1;
    SDL_Window* window =
        SDL_CreateWindow("baseline", bounds.x, bounds.y, bounds.w, bounds.h, SDL_WINDOW_BORDERLESS);
    SDL_Surface* image = window ? SDL_GetWindowSurface(window) : nullptr;
    if (!image) return 1;
    SDL_FillRect(image, nullptr, SDL_MapRGB(image->format, 255, 255, 255));
    SDL_UpdateWindowSurface(window);
    SDL_Event event;
    while (SDL_WaitEvent(&event) && event.type != SDL_QUIT) {
    }
    SDL_Quit();
    return 0;
}
