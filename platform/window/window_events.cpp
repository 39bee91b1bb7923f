#include "platform/window/window_events.h"

#include <SDL.h>

namespace glimmer {

bool WindowEvents::Poll(WindowEvent& out) {
  SDL_Event e;
  if (!SDL_PollEvent(&e)) return false;
  out = {};
  switch (e.type) {
    case SDL_QUIT:
      out.kind = WindowEvent::Kind::Quit;
      break;
    case SDL_KEYDOWN:
      out.kind = WindowEvent::Kind::Key;
      out.key = int(e.key.keysym.sym);
      out.repeat = e.key.repeat != 0;
      break;
    case SDL_MOUSEBUTTONDOWN:
      out.kind = WindowEvent::Kind::Button;
      out.localX = e.button.x;
      out.localY = e.button.y;
      out.window = e.button.windowID;
      break;
    case SDL_MOUSEMOTION: {
      int wx = 0, wy = 0;
      if (SDL_Window* w = SDL_GetWindowFromID(e.motion.windowID))
        SDL_GetWindowPosition(w, &wx, &wy);
      out = {WindowEvent::Kind::Move, e.motion.x + wx, e.motion.y + wy, e.motion.x, e.motion.y,
             e.motion.windowID};
      break;
    }
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) hadFocus_ = true;
      if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST && hadFocus_ && !SDL_GetKeyboardFocus()) {
        out.kind = WindowEvent::Kind::FocusLost;
      }
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) out.kind = WindowEvent::Kind::Closed;
      break;
    case SDL_APP_WILLENTERBACKGROUND:
    case SDL_APP_TERMINATING:
      out.kind = WindowEvent::Kind::Suspend;
      break;
    default:
      break;
  }
  return true;
}

void HideCursor() {
  SDL_ShowCursor(SDL_DISABLE);
}

void SetHandCursor(bool hand) {
  // Made once; SDL keeps the cursors until it quits.
  static SDL_Cursor* const handCursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_HAND);
  static SDL_Cursor* const arrowCursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
  SDL_Cursor* wanted = hand ? handCursor : arrowCursor;
  if (wanted && SDL_GetCursor() != wanted) SDL_SetCursor(wanted);
}

void ShowErrorMessage(const std::string& title, const std::string& text) {
  if (SDL_WasInit(SDL_INIT_VIDEO)) {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), text.c_str(), nullptr);
  }
}

void StopVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void PauseBriefly() {
  SDL_Delay(1);
}

}  // namespace glimmer
