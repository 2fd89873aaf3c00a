#include "ui/ColorManager.h"

namespace {

const unsigned long Defaults[ColorCount] = {
    0x00000000, 0x00FFFFFF, 0x00202020, 0x00404040, 0x00F0F0F0, 0x00808080, 0x00606060,
    0x00404040, 0x00333333, 0x00000000, 0x00F0F0F0, 0x00000000, 0x00CC9600, 0x00FFBB00,
    0x00997000, 0x00CC9600, 0x00F0F0F0, 0x00000000, 0x00000000, 0x00F0F0F0, 0x00404040,
    0x00606060, 0x00808080, 0x00000000, 0x00001000, 0x00FFBB00, 0x00997000, 0x00CC9600,
    0x00E5A800, 0x00000000, 0x00202020, 0x00A0A0A0, 0x00000000, 0x00F0F0F0, 0x00CC9600,
    0x00000000, 0x00CC9600, 0x00000000, 0x0000F000, 0x0000F0F0, 0x000000F0, 0x00CC9600};

void Validate(ColorManagerColor color) {
    if (color < 0 || color >= ColorCount) throw "ColorManager: Invalid Color Requested";
}

} // namespace

CColorManager::CColorManager()
    : SetCount(1), CurrentSet(0),
      Colors(new unsigned long[ColorCount]), Brushes{}, Pens{}, Inherit{}, Parent(nullptr) {
    for (int i = 0; i < ColorCount; i++)
        Colors[i] = Defaults[i];
}

CColorManager::CColorManager(CHost*) : CColorManager() {}

CColorManager::CColorManager(CColorManager* parent) : CColorManager() {
    Parent = parent;
    for (int i = 0; i < ColorCount; i++) {
        Colors[i] = 0;
        Inherit[i] = true;
    }
}

CColorManager::~CColorManager() {
    for (int i = 0; i < ColorCount; i++) {
        delete Brushes[i];
        delete Pens[i];
    }
    delete[] Colors;
}

void CColorManager::Lock() {
    CMutex::Lock();
    if (Parent) Parent->Lock();
}

void CColorManager::Release() {
    if (Parent) Parent->Release();
    CMutex::Release();
}

CColorManager* CColorManager::Owner(ColorManagerColor color) {
    Validate(color);
    CColorManager* table = this;
    while (table->Inherit[color] && table->Parent)
        table = table->Parent;
    return table;
}

unsigned long CColorManager::GetColor(ColorManagerColor color) {
    CColorManager* owner = Owner(color);
    return owner->Colors[owner->CurrentSet * ColorCount + color];
}

CPen* CColorManager::GetPen(ColorManagerColor color) {
    CColorManager* owner = Owner(color);
    if (!owner->Pens[color]) owner->Pens[color] = new CPen(owner->GetColor(color));
    return owner->Pens[color];
}

CBrush* CColorManager::GetBrush(ColorManagerColor color) {
    CColorManager* owner = Owner(color);
    if (!owner->Brushes[color]) owner->Brushes[color] = new CBrush(owner->GetColor(color));
    return owner->Brushes[color];
}

void CColorManager::SetColor(ColorManagerColor color, unsigned long value) {
    Validate(color);
    delete Brushes[color];
    delete Pens[color];
    Brushes[color] = nullptr;
    Pens[color] = nullptr;
    Colors[CurrentSet * ColorCount + color] = value;
    Inherit[color] = false;
}
