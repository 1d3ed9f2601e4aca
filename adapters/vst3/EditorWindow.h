#pragma once
// The editor as a window inside the host's: whether there is one, its size,
// opening and closing. An editor has a window when it implements
// IEditorWindow, or when it is a graphics core whose back-end can open a host
// window (Windows, X11); otherwise the module offers the host no view.
class IEditorLink;

namespace vst3editor {
bool HasWindow(const IEditorLink* editor);
// False when there is no window to size.
bool WindowSize(const IEditorLink* editor, int* width, int* height);
// The editor's own window, opened as a child of parent, or null.
void* OpenWindow(IEditorLink* editor, void* parent);
void CloseWindow(IEditorLink* editor);
// The descriptor to watch for the open window's events, -1 for none.
int WindowEventFd(const IEditorLink* editor);
// The open window's waiting events and redraws (the host's run loop calls).
void Idle(IEditorLink* editor);
}  // namespace vst3editor
