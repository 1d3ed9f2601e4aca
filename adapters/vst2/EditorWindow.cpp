#include "adapters/vst2/EditorWindow.h"

#ifdef VORBLEX_HAS_EDITOR
#include "editor/IGraphics.h"

namespace {
const IGraphics* Graphics(const IEditorLink* editor)
{
  const auto* graphics = dynamic_cast<const IGraphics*>(editor);
  return graphics && graphics->CanOpenHostWindow() ? graphics : nullptr;
}
IGraphics* Graphics(IEditorLink* editor)
{
  auto* graphics = dynamic_cast<IGraphics*>(editor);
  return graphics && graphics->CanOpenHostWindow() ? graphics : nullptr;
}
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

void EditorIdle(IEditorLink* editor)
{
  if (IGraphics* graphics = Graphics(editor)) graphics->OnHostIdle();
}

#else

bool EditorHasWindow(const IEditorLink*) { return false; }

bool EditorWindowSize(const IEditorLink*, int*, int*) { return false; }

void* OpenEditorWindow(IEditorLink*, void*) { return nullptr; }

void CloseEditorWindow(IEditorLink*) {}

void EditorIdle(IEditorLink*) {}

#endif
