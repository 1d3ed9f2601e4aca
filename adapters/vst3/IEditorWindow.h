#pragma once
// What a VST3 view needs of an editor that can show itself in a host window,
// for editors other than the graphics core (which the view reaches directly,
// see EditorWindow.h): such an editor implements this next to IEditorLink.
class IEditorWindow {
public:
  virtual ~IEditorWindow() = default;
  virtual int WindowWidth() const = 0;
  virtual int WindowHeight() const = 0;
  // Opens the editor as a child of the host's window; the result is the
  // editor's own window, or null.
  virtual void* OpenWindow(void* parent) = 0;
  virtual void CloseWindow() = 0;
};
