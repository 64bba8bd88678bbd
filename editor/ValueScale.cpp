#include "editor/ValueScale.h"

#include <cmath>

namespace
{
// Worked out in double and stored as a float.
float slopeOf(float inputLow, float inputHigh, float outputLow, float outputHigh)
{
    return static_cast<float>((static_cast<double>(outputHigh) - outputLow) /
                              (static_cast<double>(inputHigh) - inputLow));
}
} // namespace

CValueScale::CValueScale(int32_t logarithmic)
    : inputLow(0.0f), inputHigh(1.0f), outputLow(0.0f), outputHigh(1.0f), slope(1.0f),
      mapRoutine(logarithmic ? &CValueScale::mapLogarithmic : &CValueScale::mapLinear),
      unmapRoutine(logarithmic ? &CValueScale::unmapLogarithmic : &CValueScale::unmapLinear),
      rangeRoutine(logarithmic ? &CValueScale::setRangesLogarithmic : &CValueScale::setRangesLinear)
{
}

CValueScale::~CValueScale() = default;

double CValueScale::toOutput(const float* value)
{
    return (this->*mapRoutine)(value);
}

double CValueScale::toInput(const float* value)
{
    return (this->*unmapRoutine)(value);
}

void CValueScale::setRanges(float inLow, float inHigh, float outLow, float outHigh)
{
    (this->*rangeRoutine)(inLow, inHigh, outLow, outHigh);
}

// The linear map runs in single precision: in double the centre of the
// 131 x 129 scope (input 0) would land on row 63 instead of 64.
double CValueScale::mapLinear(const float* value)
{
    const float mapped = (*value - inputLow) * slope + outputLow;
    return mapped;
}

double CValueScale::mapLogarithmic(const float* value)
{
    return std::pow(10.0, (static_cast<double>(*value) - inputLow) * slope + outputLow);
}

double CValueScale::unmapLinear(const float* value)
{
    const float unmapped = (*value - outputLow) / slope + inputLow;
    return unmapped;
}

double CValueScale::unmapLogarithmic(const float* value)
{
    return (std::log10(static_cast<double>(*value)) - outputLow) / slope + inputLow;
}

void CValueScale::setRangesLinear(float inLow, float inHigh, float outLow, float outHigh)
{
    inputLow = inLow;
    inputHigh = inHigh;
    outputLow = outLow;
    outputHigh = outHigh;
    slope = slopeOf(inputLow, inputHigh, outputLow, outputHigh);
}

void CValueScale::setRangesLogarithmic(float inLow, float inHigh, float outLow, float outHigh)
{
    inputLow = inLow;
    inputHigh = inHigh;
    outputLow = static_cast<float>(std::log10(static_cast<double>(outLow)));
    outputHigh = static_cast<float>(std::log10(static_cast<double>(outHigh)));
    slope = slopeOf(inputLow, inputHigh, outputLow, outputHigh);
}
