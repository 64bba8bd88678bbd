#include "editor/CaptionEditor.h"

#include <cstring>

namespace
{
// Shown until the concrete editor sets its own texts.
const char kUnsetCaption[] = "????????????";
} // namespace

CCaptionEditor::CCaptionEditor(CPluginBase* owner) : CWidgetEditor(owner), captions()
{
    for (char* caption : captions)
        std::memcpy(caption, kUnsetCaption, sizeof(kUnsetCaption));
}

CCaptionEditor::~CCaptionEditor() = default;

float CCaptionEditor::getControlValue(CValueWidget* /*control*/)
{
    return 0.0f;
}

void CCaptionEditor::setCaptionTexts(const char* text1, const char* text2, const char* text3)
{
    const char* texts[3] = {text1, text2, text3};
    for (int i = 0; i < 3; ++i)
    {
        if (texts[i] && std::strlen(texts[i]) <= kLongestCaption)
            std::strcpy(captions[i], texts[i]);
    }
}
