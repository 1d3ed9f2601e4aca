#pragma once
// The editor as a window inside the host's: whether there is one, its size,
// opening and closing. An editor has a window when it implements
// IEditorWindow, or when it is the graphics core of a Windows build that
// carries the editor; otherwise the module offers the host no view.
class IEditorLink;

namespace vst3editor {
bool HasWindow(const IEditorLink* editor);
// False when there is no window to size.
bool WindowSize(const IEditorLink* editor, int* width, int* height);
// The editor's own window, opened as a child of parent, or null.
void* OpenWindow(IEditorLink* editor, void* parent);
void CloseWindow(IEditorLink* editor);
}  // namespace vst3editor
