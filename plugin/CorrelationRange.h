#pragma once

// The range of correlation values seen since the last reset, as the range bar
// shows it: the one rule of the Windows editor's bar, the LV2 plug-in and the
// portable panel. Until a value arrives it waits, and while it waits 0 (or
// NaN) is no news: a meter that has seen nothing reads 0.
class CCorrelationRange
{
  public:
    void reset() { waiting = true; }
    void take(float value);
    // The range as another side reported it (getMinimum, getMaximum): both 0
    // for waiting. Ends in the wrong order, or NaN, are no range either.
    void restore(float minimum, float maximum);

    bool isWaiting() const { return waiting; }
    // Both 0 while waiting; never both 0 otherwise, since the range starts
    // at a value other than 0 and only grows.
    float getMinimum() const { return waiting ? 0.0f : minimum; }
    float getMaximum() const { return waiting ? 0.0f : maximum; }

  private:
    bool waiting = true;
    float minimum = 0.0f;
    float maximum = 0.0f;
};
