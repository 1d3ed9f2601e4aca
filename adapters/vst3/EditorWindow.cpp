#include "adapters/vst3/EditorWindow.h"

#include "adapters/vst3/IEditorWindow.h"
#include "framework/IEditorLink.h"
#ifdef VORBLEX_HAS_EDITOR
#include "editor/IGraphics.h"
#define VST3_EDITOR_GRAPHICS_WINDOW 1
#endif

namespace vst3editor {
namespace {

IEditorWindow* Window(const IEditorLink* editor)
{
  return dynamic_cast<IEditorWindow*>(const_cast<IEditorLink*>(editor));
}

#ifdef VST3_EDITOR_GRAPHICS_WINDOW
// Only a graphics core whose back-end can open a host window counts.
IGraphics* Graphics(const IEditorLink* editor)
{
  auto* graphics = dynamic_cast<IGraphics*>(const_cast<IEditorLink*>(editor));
  return graphics && graphics->CanOpenHostWindow() ? graphics : nullptr;
}
#endif

}  // namespace

bool HasWindow(const IEditorLink* editor)
{
  if (Window(editor)) return true;
#ifdef VST3_EDITOR_GRAPHICS_WINDOW
  if (Graphics(editor)) return true;
#endif
  return false;
}

bool WindowSize(const IEditorLink* editor, int* width, int* height)
{
  if (!width || !height) return false;
  if (IEditorWindow* window = Window(editor)) {
    *width = window->WindowWidth();
    *height = window->WindowHeight();
    return true;
  }
#ifdef VST3_EDITOR_GRAPHICS_WINDOW
  if (IGraphics* graphics = Graphics(editor)) {
    *width = graphics->Width();
    *height = graphics->Height();
    return true;
  }
#endif
  return false;
}

void* OpenWindow(IEditorLink* editor, void* parent)
{
  if (IEditorWindow* window = Window(editor)) return window->OpenWindow(parent);
#ifdef VST3_EDITOR_GRAPHICS_WINDOW
  if (IGraphics* graphics = Graphics(editor)) return graphics->OpenWindow(parent);
#endif
  return nullptr;
}

void CloseWindow(IEditorLink* editor)
{
  if (IEditorWindow* window = Window(editor)) {
    window->CloseWindow();
    return;
  }
#ifdef VST3_EDITOR_GRAPHICS_WINDOW
  if (IGraphics* graphics = Graphics(editor)) graphics->CloseWindow();
#endif
}

int WindowEventFd(const IEditorLink* editor)
{
#ifdef VST3_EDITOR_GRAPHICS_WINDOW
  if (IGraphics* graphics = Graphics(editor)) return graphics->GetWindowEventFd();
#else
  (void)editor;
#endif
  return -1;
}

void Idle(IEditorLink* editor)
{
#ifdef VST3_EDITOR_GRAPHICS_WINDOW
  if (IGraphics* graphics = Graphics(editor)) graphics->OnHostIdle();
#else
  (void)editor;
#endif
}

}  // namespace vst3editor
