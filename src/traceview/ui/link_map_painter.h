#pragma once
// Drawing of the link map from its layout: tiles with their pictures, badges and labels, the lines
// between them, and the overview line of the whole fibre.
#include <QImage>
#include <QPainter>
#include <string>

#include "traceview/link_map_layout.h"

/// The link map's pen colours.
inline constexpr QRgb kLinkGreen = qRgb(34, 139, 34);
inline constexpr QRgb kLinkOrange = qRgb(255, 97, 0);
inline constexpr QRgb kLinkYellow = qRgb(255, 255, 0);

/// The ten link-map pictures, loaded once.
struct LinkMapPictures {
  QImage background, start, end, reflector, connector, router, pass, fail, markA, markB;
};
const LinkMapPictures& LoadedLinkMapPictures();

/// The pictures' sizes as loaded, for the layout.
LinkMapPictureSizes LinkMapSizesOf(const LinkMapPictures& pictures);

/// Draws `layout`; `distanceLabels` holds one text per tile; the unit label is right-aligned to
/// `gridRight`.
void DrawLinkMapLayout(QPainter& painter, const LinkMapLayout& layout, const std::vector<std::string>& distanceLabels,
                       const std::string& unitName, int gridRight);
