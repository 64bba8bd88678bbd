#pragma once
// Test utilities around the running program: known sound files for its
// Audio folder, the sound it plays as the test run captures it, and its
// toolbar as it appears on screen.

#include "tests/e2e/ProgramRunner.h"
#include "tests/support/CapturedSound.h"
#include "tests/support/GuiTestSupport.h"
#include "tests/support/TestSignals.h"
#include "tests/support/WaveBuilder.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// How long a dialog or message box of the program may take to come up after
// what brings it: a moment on a quiet machine, much longer on a busy one.
// A last resort, not a limit the program must keep.
constexpr DWORD kComesUpBound = 60000;

// The test run's capture of the sound device (see tools/asoundrc). It starts
// afresh each time the program opens the device.
class CCaptureFile
{
  public:
    CCaptureFile() : path(captureFilePath()) {}
    // Whole 16-bit stereo frames written so far; 0 when there is no file.
    size_t frames() const;
    // Whether the file grew within the given time.
    bool grows(DWORD milliseconds) const;
    void remove() const { DeleteFileA(path.c_str()); }
    // Whether these interleaved stereo samples follow each other in it.
    bool holds(const std::vector<int16_t>& samples) const;
    CapturedSound read() const { return readCapturedSound(path); }

  private:
    std::string path;
};

// The program's four toolbar buttons as they appear on screen, compared with
// the two halves of their pictures in the program's own resources.
class CToolbarView
{
  public:
    enum Button
    {
        kOpen,
        kStop,
        kPlay,
        kHelp
    };
    enum State
    {
        kRaised,
        kPressed,
        kNeither
    };

    explicit CToolbarView(const std::string& programPath);

    State state(HWND demo, Button button) const;
    // A point inside the button, in the demo window's client area.
    static POINT centre(Button button);
    // "play pressed, stop raised" while the toolbar shows playing,
    // "play raised, stop pressed" while it shows stopped.
    std::string transport(HWND demo) const;

  private:
    std::vector<Pixels> pictures; // one 23 x 44 picture per button
};

// Posts what a left click on the window at (x, y) sends it.
void postClick(HWND window, int x, int y);
void postKey(HWND window, WPARAM key);

// The program's windows, once its help window is up behind the main window.
struct ProgramWindows
{
    HWND demo = nullptr;
    HWND help = nullptr;
    HWND plug = nullptr;  // the plug-in window under the toolbar
    HWND frame = nullptr; // the editor's frame window in it
};
bool findProgramWindows(CProgramRunner& program, ProgramWindows* windows);
// Whether `upper` is above `lower` in the window order.
bool isAbove(HWND upper, HWND lower);
// Closes the main window and waits for the program to end; the time is
// measured from the close request.
bool closeProgram(CProgramRunner& program, HWND demo, DWORD* exitCode, DWORD* milliseconds);
