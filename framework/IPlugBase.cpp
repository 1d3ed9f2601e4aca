#include "framework/IPlugBase.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

int32_t HostVersionFromDecimal(int32_t decimal)
{
  // MMmmbb -> 0xMMMMmmbb: every hundred of minor gains 156, every ten thousand
  // of major gains 55536.
  int64_t v = decimal;
  v += (v % 10000) / 100 * 156 + (v / 10000) * 55536;
  return static_cast<int32_t>(static_cast<uint32_t>(v));
}

IPlugBase::IPlugBase(const IPlugConfig& config, int32_t interfaceKind)
    : mUniqueID(config.uniqueID),
      mMakerID(config.makerID),
      mVersion(config.version),
      mInterfaceKind(interfaceKind),
      mStateChunks(config.stateChunks),
      mIsInstrument(config.isInstrument),
      mMidiIn(config.midiIn)
{
  CopyText(mEffectName, config.effectName, sizeof mEffectName);
  CopyText(mProductName, config.productName, sizeof mProductName);
  CopyText(mMakerName, config.makerName, sizeof mMakerName);

  // Channel I/O text: tokens "in-out" separated by single spaces.
  int nIn = 0, nOut = 0;
  for (const char* p = config.channelIOStr; p && *p;) {
    IChannelPair pair;
    std::sscanf(p, "%d-%d", &pair.mIn, &pair.mOut);
    mChannelPairs.push_back(pair);
    nIn = std::max(nIn, pair.mIn);
    nOut = std::max(nOut, pair.mOut);
    p = std::strchr(p, ' ');
    if (p) ++p;
  }
  mInData.assign(static_cast<size_t>(nIn), nullptr);
  mOutData.assign(static_cast<size_t>(nOut), nullptr);
  for (int i = 0; i < nIn; ++i) {
    auto ch = std::make_unique<IInputChannel>();
    ch->mDataSlot = &mInData[static_cast<size_t>(i)];
    mInChannels.push_back(std::move(ch));
  }
  for (int i = 0; i < nOut; ++i) {
    auto ch = std::make_unique<IOutputChannel>();
    ch->mDataSlot = &mOutData[static_cast<size_t>(i)];
    mOutChannels.push_back(std::move(ch));
  }

  for (int i = 0; i < config.nParams; ++i) mParams.push_back(std::make_unique<IParameter>());
  for (int i = 0; i < config.nPresets; ++i) mPresets.push_back(std::make_unique<IPresetSlot>());
}

IPlugBase::~IPlugBase()
{
  mGraphics.reset();
  mParams.clear();
  mPresets.clear();
  mInChannels.clear();
  mOutChannels.clear();
}

void IPlugBase::Reset() { MutexLock lock(mMutex); }

void IPlugBase::OnParameterChange(int) { MutexLock lock(mMutex); }

void IPlugBase::OnActivate(bool) { MutexLock lock(mMutex); }

void IPlugBase::ProcessBlockDouble(double** inputs, double** outputs, int nFrames)
{
  int nIn = NInChannels(), nOut = NOutChannels();
  for (int i = 0; i < nOut; ++i) {
    if (!outputs[i]) continue;
    if (i < nIn && inputs[i]) {
      std::memmove(outputs[i], inputs[i], sizeof(double) * static_cast<size_t>(nFrames));
    } else {
      std::fill(outputs[i], outputs[i] + nFrames, 0.0);
    }
  }
}

void IPlugBase::ProcessBlockSingle(float** inputs, float** outputs, int nFrames)
{
  int nIn = NInChannels(), nOut = NOutChannels();
  for (int i = 0; i < nOut; ++i) {
    if (!outputs[i]) continue;
    if (i < nIn && inputs[i]) {
      std::memmove(outputs[i], inputs[i], sizeof(float) * static_cast<size_t>(nFrames));
    } else {
      std::fill(outputs[i], outputs[i] + nFrames, 0.0f);
    }
  }
}

void IPlugBase::ProcessMidiMessage(const IMidiMessage& msg) { SendMidiMessage(msg); }

bool IPlugBase::GetMidiNoteName(int, char* text)
{
  if (text) text[0] = '\0';
  return false;
}

bool IPlugBase::SerializeState(IStateChunk& chunk) { return SerializeParams(chunk); }

int IPlugBase::UnserializeState(const IStateChunk& chunk, int startPos) { return UnserializeParams(chunk, startPos); }

bool IPlugBase::CompareState(const uint8_t* data, int startPos) { return CompareParams(data, startPos); }

bool IPlugBase::CompareParams(const uint8_t* data, int startPos) const
{
  if (!data || startPos < 0) return false;
  const uint8_t* p = data + startPos;
  for (const auto& param : mParams) {
    double v;
    std::memcpy(&v, p, sizeof v);
    if (v != param->Value()) return false;
    p += sizeof v;
  }
  return true;
}

void IPlugBase::SetParameterFromEditor(int paramIdx, double normalizedValue)
{
  MutexLock lock(mMutex);
  IParameter* param = GetParameter(paramIdx);
  if (!param) return;
  param->SetNormalized(normalizedValue);
  InformHostParameterValue(paramIdx, normalizedValue);
  OnParameterChange(paramIdx);
}

void IPlugBase::AttachEditor(IEditorLink* graphics)
{
  if (!graphics) return;
  MutexLock lock(mMutex);
  for (int i = 0; i < NParams(); ++i) graphics->SetParameterFromHost(i, mParams[i]->GetNormalized(), true);
  graphics->CreateDrawBitmaps();
  mGraphics.reset(graphics);
}

void IPlugBase::RedrawParameterControls()
{
  if (!mGraphics) return;
  for (int i = 0; i < NParams(); ++i) mGraphics->SetParameterFromHost(i, mParams[i]->Value(), false);
}

void IPlugBase::SetBlockSize(int frames)
{
  if (frames <= 0 || frames == mBlockSize) return;
  for (auto& ch : mInChannels) {
    ch->mScratch.assign(static_cast<size_t>(frames), 0.0);
    if (!ch->mConnected) *ch->mDataSlot = ch->mScratch.data();
  }
  for (auto& ch : mOutChannels) {
    ch->mScratch.assign(static_cast<size_t>(frames), 0.0);
    if (!ch->mConnected) *ch->mDataSlot = ch->mScratch.data();
  }
  mBlockSize = frames;
}

bool IPlugBase::SetSampleRate(double sampleRate)
{
  // Far above any real host rate, low enough that every sample count derived
  // from it (8x oversampling, delays of seconds) stays within 32 bits.
  if (!(sampleRate > 0.0) || sampleRate > 1e7) return false;
  mSampleRate = sampleRate;
  return true;
}

IParameter* IPlugBase::GetParameter(int idx)
{
  return (idx >= 0 && idx < NParams()) ? mParams[static_cast<size_t>(idx)].get() : nullptr;
}

const IParameter* IPlugBase::GetParameter(int idx) const
{
  return (idx >= 0 && idx < NParams()) ? mParams[static_cast<size_t>(idx)].get() : nullptr;
}

void IPlugBase::NotifyAllParameters()
{
  for (int i = 0; i < NParams(); ++i) OnParameterChange(i);
}

bool IPlugBase::LegalIO(int nIn, int nOut) const
{
  for (const IChannelPair& pair : mChannelPairs) {
    if ((nIn < 0 || nIn == pair.mIn) && (nOut < 0 || nOut == pair.mOut)) return true;
  }
  return false;
}

void IPlugBase::ConnectInputChannels(int first, int count, bool connected)
{
  if (first < 0 || count <= 0) return;
  int end = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(first) + count, NInChannels()));
  for (int i = first; i < end; ++i) {
    IInputChannel& ch = *mInChannels[static_cast<size_t>(i)];
    ch.mConnected = connected;
    if (!connected) *ch.mDataSlot = ch.mScratch.empty() ? nullptr : ch.mScratch.data();
  }
}

void IPlugBase::ConnectOutputChannels(int first, int count, bool connected)
{
  if (first < 0 || count <= 0) return;
  int end = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(first) + count, NOutChannels()));
  for (int i = first; i < end; ++i) {
    IOutputChannel& ch = *mOutChannels[static_cast<size_t>(i)];
    ch.mConnected = connected;
    if (!connected) *ch.mDataSlot = ch.mScratch.empty() ? nullptr : ch.mScratch.data();
  }
}

bool IPlugBase::IsInChannelConnected(int i) const
{
  return i >= 0 && i < NInChannels() && mInChannels[static_cast<size_t>(i)]->mConnected;
}

bool IPlugBase::IsOutChannelConnected(int i) const
{
  return i >= 0 && i < NOutChannels() && mOutChannels[static_cast<size_t>(i)]->mConnected;
}

void IPlugBase::BindInputBuffers(int nHostChannels, float** hostInputs, int)
{
  int host = 0;
  for (auto& ch : mInChannels) {
    ch->mHostFloat = nullptr;
    ch->mHostDouble = nullptr;
    if (!ch->mConnected) continue;
    if (host < nHostChannels && hostInputs) ch->mHostFloat = hostInputs[host];
    ++host;
  }
}

void IPlugBase::BindInputBuffers(int nHostChannels, double** hostInputs, int)
{
  int host = 0;
  for (auto& ch : mInChannels) {
    ch->mHostFloat = nullptr;
    ch->mHostDouble = nullptr;
    if (!ch->mConnected) continue;
    if (host < nHostChannels && hostInputs) ch->mHostDouble = hostInputs[host];
    ++host;
  }
}

void IPlugBase::BindOutputBuffers(int nHostChannels, float** hostOutputs)
{
  int host = 0;
  for (auto& ch : mOutChannels) {
    ch->mFloatDest = nullptr;
    ch->mDoubleDest = nullptr;
    if (!ch->mConnected) continue;
    if (host < nHostChannels && hostOutputs) ch->mFloatDest = hostOutputs[host];
    ++host;
  }
}

void IPlugBase::BindOutputBuffers(int nHostChannels, double** hostOutputs)
{
  int host = 0;
  for (auto& ch : mOutChannels) {
    ch->mFloatDest = nullptr;
    ch->mDoubleDest = nullptr;
    if (!ch->mConnected) continue;
    if (host < nHostChannels && hostOutputs) ch->mDoubleDest = hostOutputs[host];
    ++host;
  }
}

void IPlugBase::RunBlock(int nFrames, bool accumulate)
{
  // Scratch buffers are one block long; a host that hands us a longer block
  // than it announced is served in slices, which the sample-accurate MIDI
  // queue handles like consecutive blocks.
  if (nFrames <= 0 || mBlockSize <= 0) return;
  for (int done = 0; done < nFrames;) {
    const int n = std::min(nFrames - done, mBlockSize);
    for (auto& ch : mInChannels) {
      if (ch->mHostDouble) {
        *ch->mDataSlot = ch->mHostDouble + done;
      } else {
        if (ch->mHostFloat) {
          for (int i = 0; i < n; ++i) ch->mScratch[static_cast<size_t>(i)] = ch->mHostFloat[done + i];
        } else {
          std::fill(ch->mScratch.begin(), ch->mScratch.end(), 0.0);
        }
        *ch->mDataSlot = ch->mScratch.data();
      }
    }
    for (auto& ch : mOutChannels) {
      *ch->mDataSlot = ch->mDoubleDest ? ch->mDoubleDest + done : ch->mScratch.data();
    }
    ProcessBlockDouble(mInData.data(), mOutData.data(), n);
    for (auto& ch : mOutChannels) {
      if (!ch->mFloatDest) continue;
      float* dest = ch->mFloatDest + done;
      const double* src = ch->mScratch.data();
      if (accumulate) {
        for (int i = 0; i < n; ++i) dest[i] += static_cast<float>(src[i]);
      } else {
        for (int i = 0; i < n; ++i) dest[i] = static_cast<float>(src[i]);
      }
    }
    done += n;
  }
  // Outside a block, unconnected and float-bound channels point at their own
  // scratch again; host arrays are borrowed for one block only.
  for (auto& ch : mInChannels) *ch->mDataSlot = ch->mScratch.empty() ? nullptr : ch->mScratch.data();
  for (auto& ch : mOutChannels) *ch->mDataSlot = ch->mScratch.empty() ? nullptr : ch->mScratch.data();
}

void IPlugBase::SetHost(const char* productString, int32_t version)
{
  mHostKind = LookUpHost(productString);
  mHostVersion = version;
}

int32_t IPlugBase::VersionDecimal() const
{
  int32_t major = (mVersion >> 16) & 0xFFFF, minor = (mVersion >> 8) & 0xFF, patch = mVersion & 0xFF;
  return major * 10000 + minor * 100 + patch;
}
