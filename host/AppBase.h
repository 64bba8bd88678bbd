#pragma once
// The application object's base: the module instance and the message loop.

#include <windows.h>

class CAppBase
{
  public:
    explicit CAppBase(HINSTANCE instance_) : instance(instance_) {}
    virtual ~CAppBase() = default;
    virtual int Run() = 0;

  protected:
    HINSTANCE instance;
};
