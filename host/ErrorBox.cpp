#include "host/ErrorBox.h"

void showErrorBox(const Refusal& refusal)
{
    MessageBoxA(nullptr, refusal.text, "ERROR", MB_OK | refusal.style);
}
