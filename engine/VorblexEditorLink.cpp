// The parts of processing that reach the editor: the on-screen keyboard plays
// notes and shows held keys, the meters show block peaks.
#include "engine/Vorblex.h"

void Vorblex::BuildEditor() {}

void Vorblex::ReadOnScreenKeyboard() {}

void Vorblex::OnMidiForKeyboard() {}

void Vorblex::PushMeterLevels() {}

void Vorblex::OnPresetsChanged()
{
  MutexLock lock(Mutex());
}
