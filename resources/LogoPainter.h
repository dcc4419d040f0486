// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>

// The product logo: a landscape under a low sun in five flat grey tones, the way the program
// leaves a photograph. Square, `side` pixels, transparent around the rounded tile. Small
// sides get a simpler scene with edges on whole pixels so the icon stays crisp.
QImage PaintProductLogo(int side);

// The maker's logo: the product emblem beside the "Halvane" wordmark and a "Studio" line
// over a ramp of the five tones. Transparent background.
QImage PaintMakerLogo();
