#pragma once
// What the playback controller needs of the effect it plays through: the
// file's sample rate before its first block, resume and suspend, and one
// block of processing. The host's plug-in window is this binding.
//
// The player keeps the plug-in interface's order: it processes only between
// a resume and a suspend, and calls none of the others while a block is
// being processed. It takes the effect as resumed when it is handed over.

#include <cstdint>

class CEffectBinding
{
  public:
    // effSetSampleRate; only while no block is being processed.
    virtual void SetSampleRate(float rate) = 0;
    // effMainsChanged 1 and 0.
    virtual void Resume() = 0;
    virtual void Suspend() = 0;
    // processReplacing on two input and two output channels.
    virtual int Process(float** inputs, float** outputs, int32_t sampleFrames) = 0;

  protected:
    ~CEffectBinding() = default;
};
