#include "adapters/vst2/EditorWindow.h"

#if defined(_WIN32) && defined(VORBLEX_HAS_EDITOR)
#include "editor/IGraphics.h"

namespace {
const IGraphics* Graphics(const IEditorLink* editor) { return dynamic_cast<const IGraphics*>(editor); }
IGraphics* Graphics(IEditorLink* editor) { return dynamic_cast<IGraphics*>(editor); }
}  // namespace

bool EditorHasWindow(const IEditorLink* editor) { return Graphics(editor) != nullptr; }

bool EditorWindowSize(const IEditorLink* editor, int* width, int* height)
{
  const IGraphics* graphics = Graphics(editor);
  if (!graphics) return false;
  *width = graphics->Width();
  *height = graphics->Height();
  return true;
}

void* OpenEditorWindow(IEditorLink* editor, void* parent)
{
  IGraphics* graphics = Graphics(editor);
  return graphics ? graphics->OpenWindow(parent) : nullptr;
}

void CloseEditorWindow(IEditorLink* editor)
{
  if (IGraphics* graphics = Graphics(editor)) graphics->CloseWindow();
}

#else

bool EditorHasWindow(const IEditorLink*) { return false; }

bool EditorWindowSize(const IEditorLink*, int*, int*) { return false; }

void* OpenEditorWindow(IEditorLink*, void*) { return nullptr; }

void CloseEditorWindow(IEditorLink*) {}

#endif
