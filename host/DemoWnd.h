#pragma once
// The main window "Zanderwick Demo": a toolbar with open, stop, play and help
// buttons over the plug-in window. It owns the playback controller, turns
// clicks and keys into its commands and opens the help window.

#include <memory>

#include "audio/WavePlayer.h"
#include "host/PlugWnd.h"
#include "host/ToolButton.h"
#include "host/Window.h"

class CInfoWnd;
class CPlugWnd;

class CDemoWnd : public CWindow, public CEditorHolder
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
    // The controller gave its stream up (CWavePlayer::kDeviceFailedMessage).
    LRESULT OnUser(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    // Goes where Windows suggests on the new screen; the editor follows the
    // screen's DPI unless a size was chosen, and the window fits it.
    LRESULT OnDpiChanged(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    // Creates the playback controller and loads the default file.
    virtual int Attach(HINSTANCE instance, CPlugWnd* plugWnd);
    // Draws the toolbar at the editor's size, with the pictures drawn for
    // it. The toolbar's height.
    int FitToolbar(int percent) override;

    int PlayingShown() const { return playingShown; }
    CInfoWnd* HelpWindow() const { return helpWnd; }
    CWavePlayer* Player() const { return player.get(); }

  private:
    // Runs one command of the controller, shows the true state, then tells
    // the user why the command was refused, if it was.
    template <typename Call> int Ask(Call call);
    // Shows the controller's true state.
    void FollowPlayer();
    // The message box; the window may be clicked or closed while it is up.
    void Tell(const Refusal& refusal);
    // The open dialog, one at a time; false when it was cancelled.
    bool ChooseFile();
    bool IsPlaying() const;
    void ShowTransport(int playing);
    void StartPlaying();
    void StopPlaying();
    void OpenHelp();
    // Loads the toolbar's pictures drawn for that size and places its
    // buttons; false when a picture is missing, with the old ones kept.
    bool LoadToolbar(int percent);

    CInfoWnd* helpWnd;
    CPlugWnd* plugWnd;
    std::unique_ptr<CWavePlayer> player;
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
    std::unique_ptr<CToolButton> playButton;
    std::unique_ptr<CToolButton> stopButton;
    std::unique_ptr<CToolButton> openButton;
    std::unique_ptr<CToolButton> helpButton;
    // The open dialog's file name: it starts from the last choice.
    char chosenPath[CWavePlayer::kPathBytes];
    bool choosing;
    // The size the toolbar's pictures are drawn at, 0 before they are loaded.
    int zoom;
};
