#pragma once
// The editor as a window inside the host's: its size, opening and closing.
// Only a Windows build that carries the editor has such a window; everywhere
// else the editor (if any) is drawn without one and these report no window,
// so the module does not announce an editor to its host.
class IEditorLink;

bool EditorHasWindow(const IEditorLink* editor);
// False when there is no window to size.
bool EditorWindowSize(const IEditorLink* editor, int* width, int* height);
// The editor's own window, opened as a child of parent, or null.
void* OpenEditorWindow(IEditorLink* editor, void* parent);
void CloseEditorWindow(IEditorLink* editor);
