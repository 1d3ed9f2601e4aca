#pragma once
// The editor as a window inside the host's: its size, opening and closing,
// and the idle calls that drive it where the host runs the event loop (X11).
// Only a graphics core whose back-end can open a host window counts; a
// window-less editor (or none) reports no window, so the module does not
// announce an editor to its host.
class IEditorLink;

bool EditorHasWindow(const IEditorLink* editor);
// False when there is no window to size.
bool EditorWindowSize(const IEditorLink* editor, int* width, int* height);
// The editor's own window, opened as a child of parent, or null.
void* OpenEditorWindow(IEditorLink* editor, void* parent);
void CloseEditorWindow(IEditorLink* editor);
// Window events and redraws that wait for the host's idle call.
void EditorIdle(IEditorLink* editor);
