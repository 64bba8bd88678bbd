#include "plugin/CorrelationRange.h"

void CCorrelationRange::take(float value)
{
    if (waiting)
    {
        // A NaN is no value either.
        if (value != 0.0f && value == value)
        {
            waiting = false;
            minimum = maximum = value;
        }
    }
    else if (value > maximum)
        maximum = value;
    else if (value < minimum)
        minimum = value;
}

void CCorrelationRange::restore(float low, float high)
{
    waiting = !(low <= high) || (low == 0.0f && high == 0.0f);
    minimum = waiting ? 0.0f : low;
    maximum = waiting ? 0.0f : high;
}
