#include "editor/PaintView.h"

CPaintView::CPaintView(const PortRect& rect, CSkinBitmap* background)
    : CWidget(rect), changed(0), picture(), background(background)
{
}

CPaintView::~CPaintView() = default;

void CPaintView::paint(CPaintPort& port)
{
    // The picture, its background picture on black, is made when there is
    // none yet or the view's size changed.
    const int32_t width = rect.right - rect.left;
    const int32_t height = rect.bottom - rect.top;
    const bool fresh = !picture || picture->getWidth() != width || picture->getHeight() != height;
    if (fresh)
    {
        picture = std::make_unique<COffscreenPort>(getParent(), width, height, kColorBlack);
        if (background)
            background->paintTo(*picture, {0, 0, width, height}, {0, 0});
        picture->keepBackground();
    }
    compose(*picture, fresh);
    picture->copyTo(port, rect, {0, 0});
}

void CPaintView::refresh(CPaintPort& port)
{
    if (!changed)
        return;
    changed = 0;
    paint(port);
}
