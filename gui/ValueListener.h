#pragma once

class CPaintPort;
class CValueWidget;

// Told when the user has changed a control's value.
class CValueListener
{
  public:
    // Called after the control has redrawn itself through the same port.
    virtual void onValueChanged(CPaintPort& port, CValueWidget* control) = 0;

  protected:
    ~CValueListener() = default;
};
