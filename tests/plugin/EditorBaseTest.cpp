#include "plugin/EditorBase.h"

#include <gtest/gtest.h>

namespace
{
class CRedrawCountingEditor : public CEditorBase
{
  public:
    CRedrawCountingEditor() : CEditorBase(nullptr) {}
    void onRedrawRequest() override { ++redraws; }
    int redraws = 0;
};
} // namespace

TEST(EditorBase, IdleServesEachRedrawRequestOnceAndOpenKeepsTheWindow)
{
    CRedrawCountingEditor editor;
    editor.idle();
    EXPECT_EQ(editor.redraws, 0);
    editor.requestRedraw();
    editor.requestRedraw();
    editor.idle();
    editor.idle();
    EXPECT_EQ(editor.redraws, 1);

    int window = 0;
    ERect* rect = nullptr;
    EXPECT_EQ(editor.open(&window) + editor.getRect(&rect), 0);
    EXPECT_EQ(editor.getParentWindow(), &window);
    EXPECT_EQ(rect, nullptr) << "a bare editor has no size";
}
