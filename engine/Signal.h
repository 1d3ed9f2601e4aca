#pragma once
// A fixed list of (object, callback) listeners. Listeners are connected while
// the owning objects are built; emitting walks a small inline array and calls
// plain function pointers, so it never allocates and costs nothing when the
// list is empty.
//
//   Signal<int, int> noteOn;
//   noteOn.Connect<&VoiceManager::NoteOn>(&voiceManager);
//   noteOn.Emit(60, 100);

template <typename... Args>
class Signal
{
public:
  using Callback = void (*)(void* object, Args... args);

  // Enough for every signal of the engine; a full list refuses new listeners.
  static constexpr int kMaxListeners = 8;

  Signal() = default;
  // Listeners point at the objects around the signal, so a copy would call
  // into the wrong objects.
  Signal(const Signal&) = delete;
  Signal& operator=(const Signal&) = delete;

  // Connects a member function of `object`. Connecting the same pair twice
  // keeps the first connection only. Returns false when the list is full.
  template <auto Method, typename T>
  bool Connect(T* object) noexcept
  {
    return Connect(static_cast<void*>(object), &Invoke<Method, T>);
  }

  // Connects a free callback with an opaque context.
  bool Connect(void* object, Callback callback) noexcept
  {
    if (callback == nullptr)
      return false;
    for (int i = 0; i < mCount; ++i)
      if (mListeners[i].object == object && mListeners[i].callback == callback)
        return true;
    if (mCount == kMaxListeners)
      return false;
    mListeners[mCount++] = Listener{object, callback};
    return true;
  }

  // Calls every listener in connection order.
  void Emit(Args... args) const noexcept
  {
    for (int i = 0; i < mCount; ++i)
      mListeners[i].callback(mListeners[i].object, args...);
  }

  int ListenerCount() const noexcept { return mCount; }

private:
  struct Listener
  {
    void* object;
    Callback callback;
  };

  template <auto Method, typename T>
  static void Invoke(void* object, Args... args)
  {
    (static_cast<T*>(object)->*Method)(args...);
  }

  Listener mListeners[kMaxListeners] = {};
  int mCount = 0;
};
