// The window-less editor: draws into its bitmap and takes events from the
// caller, but has no window for a host to open.
#include "editor/headless/IGraphicsHeadless.h"
#include "plugin/EditorBackend.h"

IGraphics* CreateEditorGraphics(IPlugBase* plug, int width, int height, int fps)
{
  return new IGraphicsHeadless(plug, width, height, fps);
}
