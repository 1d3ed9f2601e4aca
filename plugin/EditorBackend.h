#pragma once
// The graphics back-end of the instrument's editor. The layout asks for "an
// editor of this size"; which IGraphics it gets is the build's choice, made in
// one place: cmake/PluginLibrary.cmake compiles exactly one definition of this
// function into each plug-in library (EditorBackendHeadless.cpp, the
// window-less editor that tests and the command line draw and click, or
// EditorBackendWin.cpp, the window of the Windows modules, or
// EditorBackendX11.cpp, the X11 window of the Linux modules).
class IGraphics;
class IPlugBase;

IGraphics* CreateEditorGraphics(IPlugBase* plug, int width, int height, int fps);
