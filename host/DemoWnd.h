#pragma once
// The main window "Zanderwick Demo": a toolbar with open, stop, play and help
// buttons over the plug-in window. It owns the playback controller, turns
// clicks and keys into its commands and opens the help window.

#include "host/ToolButton.h"
#include "host/Window.h"

class CInfoWnd;
class CPlugWnd;
class CWavePlayer;

class CDemoWnd : public CWindow
{
  public:
    static constexpr int kCommandQuit = 2049;
    static constexpr int kCommandHelp = 2053;

    explicit CDemoWnd(HINSTANCE instance);
    ~CDemoWnd() override;

    int Create(HWND parent) override;
    LRESULT OnDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnPaint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnKeyDown(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnLButtonDown(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    // Creates the playback controller and loads the default file.
    virtual int Attach(HINSTANCE instance, CPlugWnd* plugWnd);

    int PlayingShown() const { return playingShown; }
    CInfoWnd* HelpWindow() const { return helpWnd; }
    CWavePlayer* Player() const { return player; }

  private:
    void ShowTransport();
    void StartPlaying();
    void StopPlaying(bool fromKey);
    void OpenHelp();

    CInfoWnd* helpWnd;
    CPlugWnd* plugWnd;
    CWavePlayer* player;
    HDC playDc;
    HDC stopDc;
    HDC toolbarDc;
    HDC openDc;
    HDC helpDc;
    int playingShown;
    HBITMAP playBitmap;
    HBITMAP stopBitmap;
    HBITMAP toolbarBitmap;
    HBITMAP openBitmap;
    HBITMAP helpBitmap;
    CToolButton* playButton;
    CToolButton* stopButton;
    CToolButton* openButton;
    CToolButton* helpButton;
};
