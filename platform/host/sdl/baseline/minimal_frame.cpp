// The floor for start-up measurements: the least an SDL2 program does to put
// one frame on the screen (same window kind and renderer as the host), then
// waits to be ended.
#include <SDL.h>

int main() {
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(0, &bounds) != 0) return 1;
    SDL_Window* window =
        SDL_CreateWindow("baseline", bounds.x, bounds.y, bounds.w, bounds.h, SDL_WINDOW_BORDERLESS);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
    if (!renderer) return 1;
    SDL_SetRenderDrawColor(renderer, 255, 255, 255, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    SDL_Event event;
    while (SDL_WaitEvent(&event) && event.type != SDL_QUIT) {
    }
    SDL_Quit();
    return 0;
}
