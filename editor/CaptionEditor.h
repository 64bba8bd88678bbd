#pragma once

#include <cstdint>

#include "editor/WidgetEditor.h"

class CValueWidget;

// A widget editor with three caption lines, such as the credits' version line.
class CCaptionEditor : public CWidgetEditor
{
  public:
    static constexpr int32_t kCaptionSize = 64;
    // Longer texts are refused rather than cut.
    static constexpr int32_t kLongestCaption = 62;

    explicit CCaptionEditor(CPluginBase* owner);
    ~CCaptionEditor() override;

    // The value a control starts with when the editor opens.
    virtual float getControlValue(CValueWidget* control);
    // A text that is missing or too long leaves its caption as it was.
    virtual void setCaptionTexts(const char* text1, const char* text2, const char* text3);

    const char* getCaption(int32_t index) const { return captions[index]; }

  protected:
    char captions[3][kCaptionSize];
};
