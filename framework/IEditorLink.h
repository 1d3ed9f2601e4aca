#pragma once
// What the plug-in base needs of its editor graphics object. The editor's
// IGraphics implements it; the base owns the object through this interface so
// the framework does not depend on the editor library.
class IEditorLink {
public:
  virtual ~IEditorLink() = default;
  // Moves the controls bound to a parameter (real or normalised value).
  virtual void SetParameterFromHost(int paramIdx, double value, bool normalized) = 0;
  // Creates the drawing bitmaps; called once when the editor is attached.
  virtual void CreateDrawBitmaps() = 0;
};
