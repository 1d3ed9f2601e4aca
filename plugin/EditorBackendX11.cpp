// The editor as an X11 child window of the host's, for the Linux modules.
#include "editor/x11/IGraphicsX11.h"
#include "plugin/EditorBackend.h"

IGraphics* CreateEditorGraphics(IPlugBase* plug, int width, int height, int fps)
{
  return new IGraphicsX11(plug, width, height, fps);
}
