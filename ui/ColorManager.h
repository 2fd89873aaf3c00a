// The colour table of the toolkit: 42 colours with lazily made pens and brushes,
// optionally inheriting colours from a parent table. A CMutex whose lock extends to
// the parent: hold it while fetching and using pens and brushes. UI thread.
#pragma once

#include "machine/Mutex.h"
#include "ui/Brush.h"
#include "ui/Pen.h"

class CHost;

enum ColorManagerColor : int {
    ColorBlack = 0,
    ColorBackground = 2,
    ColorBorderLight = 6,
    ColorBorderDark = 7,
    ColorBox = 12,
    ColorEditBack = 32,
    ColorEditText = 33,
    ColorCount = 42
};

class CColorManager : public CMutex {
public:
    CColorManager();                               // root table with the default colours
    explicit CColorManager(CHost* host);           // the same; the host is not used
    explicit CColorManager(CColorManager* parent); // every colour inherited until set
    ~CColorManager() override;

    void Lock() override;    // this table, then its parent
    void Release() override; // the parent, then this table

    // Each throws (const char*) "ColorManager: Invalid Color Requested" outside 0 … 41.
    unsigned long GetColor(ColorManagerColor color);
    CPen* GetPen(ColorManagerColor color);
    CBrush* GetBrush(ColorManagerColor color);
    void SetColor(ColorManagerColor color, unsigned long value);

    CColorManager(const CColorManager&) = delete;
    CColorManager& operator=(const CColorManager&) = delete;

private:
    CColorManager* Owner(ColorManagerColor color);

    int SetCount;
    int CurrentSet;
    unsigned long* Colors;
    CBrush* Brushes[ColorCount];
    CPen* Pens[ColorCount];
    bool Inherit[ColorCount];
    CColorManager* Parent;
};
