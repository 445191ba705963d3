#pragma once

#include <QRect>

// The display scale factor: design pixels of the artwork (drawn for 96 dpi) times this factor
// give the logical pixels a window uses. Qt already multiplies logical pixels by the screen's
// device pixel ratio, so the factor comes from the primary screen in logical terms only and is
// never applied on top of that ratio a second time.

// The factor for a screen of `logicalDpi` horizontal dots per inch and `screenWidth` logical
// pixels: dpi / 96 when the dpi is not 96; at 96 dpi 1.0 for widths 757..1920, else
// width / 1920. A factor of 0 or less (a screen that reports nothing usable) becomes 1.0.
float ComputeUiScale(double logicalDpi, int screenWidth);

// ComputeUiScale for the primary screen, computed on the first call and kept for the process.
// User-interface thread only; needs a QGuiApplication.
float GetUiScale();

// A design measure multiplied by `factor` and truncated.
int ScaleDesignPixels(int designPixels, float factor);
// A design measure scaled by GetUiScale and truncated.
int Scaled(int designPixels);

// The rectangle from (left, top) to (right, bottom) in design pixels, each coordinate scaled and
// truncated separately; width and height are the differences of the scaled values.
QRect ScaledRect(int left, int top, int right, int bottom);
// The same with `factor` instead of GetUiScale.
QRect ScaledRect(int left, int top, int right, int bottom, float factor);
