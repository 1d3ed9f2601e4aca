// The editor as a child window of the host's, for the Windows modules.
#include "editor/win/IGraphicsWin.h"
#include "plugin/EditorBackend.h"

IGraphics* CreateEditorGraphics(IPlugBase* plug, int width, int height, int fps)
{
  return new IGraphicsWin(plug, width, height, fps);
}
