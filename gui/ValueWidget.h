#pragma once

#include <cstdint>

#include "gui/Widget.h"

class CValueListener;

// A widget holding a value that the user changes. It redraws on a refresh
// only when the value differs from the one it last drew.
class CValueWidget : public CWidget
{
  public:
    CValueWidget(const PortRect& rect, CValueListener* listener, int32_t tag);
    ~CValueWidget() override;

    void paint(CPaintPort& port) override = 0;
    void refresh(CPaintPort& port) override;
    bool hasNews() const override;

    // Runs the owning editor's idle while the control holds the message loop.
    virtual void idleEditorNow();
    // Stores the value only; the next refresh shows it.
    virtual void setValue(float newValue);
    virtual float getValue() const;
    virtual void setLowest(float newLowest);
    virtual float getLowest() const;
    virtual void setHighest(float newHighest);
    virtual float getHighest() const;
    virtual void setShownValue(float newShownValue);
    virtual float getShownValue() const;
    virtual void setClickable(uint8_t flag);
    virtual uint8_t isClickable() const;

    CValueListener* getListener() const { return listener; }
    int32_t getTag() const { return tag; }

  protected:
    void notifyListener(CPaintPort& port);

    CValueListener* listener;
    int32_t tag;
    uint8_t clickable;
    // -1 so that the first refresh draws whatever the value is.
    float shownValue;
    float value;
    float lowest;
    float highest;
};
