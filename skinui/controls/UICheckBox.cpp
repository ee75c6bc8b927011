#include "skinui/controls/UICheckBox.h"

const char16_t* CCheckBoxUI::GetClass() const { return u"CheckBoxUI"; }
