#pragma once

#include <cstdint>

// Maps numbers from an input range onto an output range, linearly or
// logarithmically (chosen once at construction). The routines are reached
// through their virtual slots, so a subclass that replaces one changes what
// toOutput, toInput and setRanges do. Nothing is clamped.
class CValueScale
{
  public:
    // Non-zero selects the logarithmic routines.
    explicit CValueScale(int32_t logarithmic);
    virtual ~CValueScale();

    virtual double toOutput(const float* value);
    virtual double toInput(const float* value);
    // inputHigh must differ from inputLow; logarithmic output bounds must be
    // positive. The output may run downwards.
    virtual void setRanges(float inputLow, float inputHigh, float outputLow, float outputHigh);
    virtual double mapLinear(const float* value);
    virtual double mapLogarithmic(const float* value);
    virtual double unmapLinear(const float* value);
    virtual double unmapLogarithmic(const float* value);
    virtual void setRangesLinear(float inputLow, float inputHigh, float outputLow,
                                 float outputHigh);
    virtual void setRangesLogarithmic(float inputLow, float inputHigh, float outputLow,
                                      float outputHigh);

    float getSlope() const { return slope; }
    float getOutputLow() const { return outputLow; }
    float getOutputHigh() const { return outputHigh; }

  protected:
    using MapRoutine = double (CValueScale::*)(const float*);
    using RangeRoutine = void (CValueScale::*)(float, float, float, float);

    float inputLow;
    float inputHigh;
    float outputLow;
    float outputHigh;
    float slope;
    MapRoutine mapRoutine;
    MapRoutine unmapRoutine;
    RangeRoutine rangeRoutine;
};
