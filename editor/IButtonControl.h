#pragma once
// Push button with three frames (normal, mouse over, pressed) in a shared
// strip. Releasing it, wherever the pointer is by then, calls its listeners.
#include <cstdint>
#include <set>
#include <utility>

#include "editor/IControl.h"

class IButtonControl : public IControl {
public:
  using Handler = void (*)(void* object);
  enum EState { kStateNormal = 0, kStateOver = 1, kStatePressed = 2 };

  // firstFrame: 0-based index of the button's normal frame in the strip.
  IButtonControl(IPlugBase* plug, const IBitmap& image, int firstFrame, const IRect& rect);

  // A listener is an (object, handler) pair; adding the same pair again
  // changes nothing. Handlers run in the set's order: by object, then handler.
  void AddListener(void* object, Handler handler) { mListeners.insert(Listener{Key(object), Key(handler), object, handler}); }
  // A member function as the handler: AddListener<&MyPlug::Randomize>(this).
  template <auto Method, class T>
  void AddListener(T* object)
  {
    AddListener(static_cast<void*>(object), &Call<T, Method>);
  }

  void OnMouseDown(int x, int y, const IMouseMod& mod) override;
  void OnMouseUp(int x, int y, const IMouseMod& mod) override;
  void OnMouseOver(int x, int y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  bool Draw(IGraphics* graphics) override;

  int GetState() const { return mState; }
  int NListeners() const { return static_cast<int>(mListeners.size()); }

private:
  struct Listener {
    uintptr_t objectKey, handlerKey;
    void* object;
    Handler handler;
    bool operator<(const Listener& o) const
    {
      return objectKey != o.objectKey ? objectKey < o.objectKey : handlerKey < o.handlerKey;
    }
  };
  static uintptr_t Key(void* p) { return reinterpret_cast<uintptr_t>(p); }
  static uintptr_t Key(Handler h) { return reinterpret_cast<uintptr_t>(h); }
  template <class T, auto Method>
  static void Call(void* object)
  {
    (static_cast<T*>(object)->*Method)();
  }

  IRect mImageRECT;
  IBitmap mImage;
  int mFirstFrame;
  int mState = kStateNormal;
  std::set<Listener> mListeners;
};
